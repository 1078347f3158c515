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
