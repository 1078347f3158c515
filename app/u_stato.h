// Reset routines of the working state. To close a window here means to
// hide it; grids are emptied with ClearTable, never destroyed.
#pragma once

void CloseNavigator();
void ResetGeometricLines();
void ResetArea();
void ResetRatio();
void ResetScale();
void ResetImageTable();
void ResetObjectTable();
void ResetUnionTable();
void ResetResiduals();
void ResetParameters();
void ResetDxfPoints();
void ResetGeoreference();

// CloseNavigator, ResetGeometricLines, ResetImageTable, ResetRatio,
// ResetArea, ResetScale, ResetUnionTable, ResetObjectTable,
// ResetResiduals, ResetParameters — in this order.
void ResetSession();

// What closing the source image does, by the menu or by its frame:
// ResetSession, navigator sizing and check mark off, CleanBitmap freed,
// cb_imm unchecked, pointer panels cleared. The window itself is freed by
// its caller.
void ResetAfterSourceClose();

// Answer to "close the rectified image?": refuses with notice "2" when none is open.
void CloseRectifiedImage();
