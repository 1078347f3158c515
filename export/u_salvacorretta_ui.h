// "Salva " of the rectified image, and the rectified picture that the export
// windows mark and save.
#pragma once

#include <QImage>
#include <string>

#include "export/u_salvacorretta.h"

class FileDialog;
class ImageControl;
class QWidget;

// The picture control of the open rectified image window. The window hands
// it over when it opens; once the control is destroyed the answer is null,
// and every export command that draws then draws nothing.
void SetRectifiedImage(ImageControl* image);
ImageControl* RectifiedImage();

// The report's texts as the windows show them now, for the checked method:
// analytic from the area window and the scale dialog, geometric from the
// main window's object width and height and the ratio dialog.
RectifiedReportInputs RectifiedReportFromWindows(const std::string& bmpPath);

// The file format of the filter chosen in the picture save dialog: 1 the
// 24-bit bitmap, 2 PNG, 3 TIFF, 4 GeoTIFF (any other: the bitmap).
PictureFileFormat PictureFormatOfFilter(int filterIndex);

// Runs the picture save dialog. A cancel, an empty name or the untouched
// initial name ".bmp" writes nothing and leaves the marks on `shown`.
// Otherwise the report and `clean` in the format of the chosen filter are
// written (see SaveRectifiedImage); a GeoTIFF takes its placement from the
// georeferencing window, whose refusal writes nothing. A failed write gets a
// message box naming the file and keeps the marks; a complete save puts
// `clean` back into `shown` (when there is one), erasing the marks. True
// when both files were written.
bool SaveRectifiedPicture(FileDialog& dialog, const QImage& clean, ImageControl* shown,
                          QWidget* parent);
