// Saving a rectified picture: the bitmap and, beside it, a text report of its
// corners, size and resolution. The report repeats the texts the windows show;
// nothing is recomputed.
#pragma once

#include <optional>
#include <string>

#include "export/u_scrivitiff.h"
#include "platform/filewrite.h"
#include "platform/raster.h"

enum class RectificationMethod { None, Analytic, Geometric };

// The texts the report is made of, as the windows show them.
struct RectifiedReportInputs {
    RectificationMethod method = RectificationMethod::None;
    std::string bmpPath;  // the bitmap's name as chosen (full path)
    // Analytic method: Xin, Yin, Xfin, Yfin of the area window.
    std::string xin, yin, xfin, yfin;
    // Geometric method: the object width W and height H (main Edit5, Edit6).
    std::string width, height;
    // Size in pixels, size in centimetres, resolution in dpi and object size
    // of one pixel in metres: the scale dialog's Label6, Label7, Edit2, Edit1
    // (analytic) or the ratio dialog's Label9, Label11, Edit7, Edit6 (geometric).
    std::string sizePixels, sizeCm, resolutionDpi, pixelSize;
};

// The report: the name line, then the four corners (upper left, upper right,
// lower right, lower left, "X ; Y"), the size in pixels and in centimetres,
// the resolution and the pixel size; lines end with CR LF except the ninth.
// In the geometric method the frame has its origin at the lower-left corner.
// Without a method only the name line is written (with its CR LF).
std::string RectifiedReportText(const RectifiedReportInputs& in);

// The report's name: the bitmap's name without its last four characters (its
// extension, ".bmp" normally) followed by ".txt". A name whose last component
// has four characters or fewer, or one that already ends in the report's
// name, gets ".txt" appended instead, so the report never replaces the
// bitmap nor lands outside its folder.
std::string ReportFileName(const std::string& bmpPath);

struct RectifiedSaveResult {
    FileWriteResult write;   // the first failure, or Ok
    std::string failedPath;  // the file that could not be written
    bool Ok() const { return write.Ok(); }
};

// The file formats of a rectified picture: the 24-bit bitmap (the default),
// PNG, TIFF with Deflate, and the same TIFF with GeoTIFF tags.
enum class PictureFileFormat { Bmp, Png, Tiff, GeoTiff };

// The picture's file in `format` (export/u_scrivibmp.h, u_scrivipng.h,
// u_scrivitiff.h); `place` is used by GeoTiff only, which needs it. Empty
// when the picture cannot be encoded.
std::optional<std::string> EncodeRectifiedPicture(const Raster& picture, PictureFileFormat format,
                                                  const std::optional<GeoTiffPlacement>& place);

// Writes the report (UTF-8 text, stored as Windows-1252) under
// ReportFileName(path), then the picture in `format` under path, each
// through WriteFileAtomic. A picture that cannot be encoded (too large for
// the format, memory short) writes neither file; a report that cannot be
// written stops before the picture.
RectifiedSaveResult SaveRectifiedImage(const std::string& path, const Raster& picture,
                                       const std::string& reportText,
                                       PictureFileFormat format = PictureFileFormat::Bmp,
                                       const std::optional<GeoTiffPlacement>& place = {});
