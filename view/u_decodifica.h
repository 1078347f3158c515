// Opening a photograph into a 32-bit Raster, and the navigator thumbnail.
//
// Pictures come back as Raster (0xFFRRGGBB pixels, row 0 at the top), whatever
// the file stores: JPEG through libjpeg (view/u_jpeg.h), Windows bitmaps read by
// view/u_bmp.h, PNG through libpng (view/u_png.h), TIFF through libtiff
// (view/u_tiff.h). Nothing in these units shows a message; failures come back as
// a status with an Italian reason text (UTF-8) that the window turns into a
// message box.
#pragma once

#include <cstddef>
#include <string>

#include "view/u_decodifica_base.h"

enum class PictureKind { Jpeg, Bmp, Png, Tiff, Unknown };

// The decoder chosen by the first bytes of a file (its signature), whatever
// its name: FF D8 JPEG, "BM" bitmap, the eight-byte PNG signature, "II" or
// "MM" and 42 (TIFF) or 43 (BigTIFF); anything else, a shorter start
// included, Unknown.
PictureKind PictureKindOf(const unsigned char* head, std::size_t size);

// Decodes the file at `path` by its content (PictureKindOf). Never throws
// for bad input and never ends the process: every failure is a status and a
// reason, and an Ok result always holds a raster of the picture's full size.
DecodeResult DecodePicture(const std::string& path, const DecodeProgress& progress = {});

// The navigator thumbnail. With W, H the source size: if H < W, step =
// W div 300 and the thumbnail is 300 × H div step; otherwise step = H div 300
// and it is W div step × 300. Target pixel (i, j) is source pixel
// (i·step, j·step): nearest sampling, no averaging. Only pictures larger than
// 600 on a side get one (NeedsThumbnail), so step is at least 2. A sliver
// picture whose short side would shrink to nothing keeps one pixel of it.
struct ThumbnailGeometry {
    int width = 0;
    int height = 0;
    int step = 0;
};
bool NeedsThumbnail(int width, int height);
// Precondition NeedsThumbnail(width, height); std::invalid_argument otherwise.
ThumbnailGeometry ThumbnailSize(int width, int height);
// The thumbnail of `src` (precondition NeedsThumbnail of its size); empty if
// memory is short.
Raster MakeThumbnailRaster(const Raster& src);
