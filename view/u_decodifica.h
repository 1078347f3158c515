// Opening a photograph into a 32-bit Raster, and the navigator thumbnail.
//
// Pictures come back as Raster (0xFFRRGGBB pixels, row 0 at the top), whatever
// the file stores: JPEG through libjpeg, Windows bitmaps read here. Nothing in
// this unit shows a message; failures come back as a status with an Italian
// reason text (UTF-8) that the window turns into a message box.
#pragma once

#include <functional>
#include <string>

#include "platform/raster.h"

enum class PictureKind { Jpeg, Bmp, Unknown };

// The decoder chosen by the file's extension, compared without regard to case:
// ".jpg" and ".jpeg" are Jpeg, ".bmp" is Bmp, anything else Unknown.
PictureKind PictureKindOf(const std::string& path);

enum class DecodeStatus {
    Ok,
    CannotRead,         // missing, not a regular file, or a read error
    EmptyFile,          // zero bytes
    UnknownFormat,      // the bytes are not of the kind the extension names
    Truncated,          // the file ends before the picture's data
    InvalidDimensions,  // header sizes zero, negative or beyond the limits below
    OutOfMemory,        // the picture would not fit in memory
    Unsupported,        // a valid variant this reader does not handle
    Corrupt,            // inconsistent data that cannot be decoded
};

// Pictures larger than this are refused from their header, before any pixel
// memory is taken: a side beyond JPEG's own limit, or more pixels in all than
// a desktop can hold twice (the picture and its clean copy).
inline constexpr int kMaxPictureSide = 65535;
inline constexpr long long kMaxPicturePixels = 400'000'000;

struct DecodeResult {
    Raster raster;  // empty unless status is Ok
    DecodeStatus status = DecodeStatus::Ok;
    std::string reason;  // why it failed, e.g. "file troncato"; empty when Ok
    // Set when the picture opened but part of it could not be decoded (a
    // truncated or corrupt JPEG, RLE data running past the picture, palette
    // indices beyond the palette); `warning` then says what happened.
    bool damaged = false;
    std::string warning;

    bool Ok() const { return status == DecodeStatus::Ok; }
};

// Told how far a decoding has got, 0..100, each time the figure changes; the
// window uses it to move a progress bar and keep itself painted.
using DecodeProgress = std::function<void(int percent)>;

// Decodes the file at `path` by its extension (PictureKindOf). Never throws
// for bad input and never ends the process: every failure is a status and a
// reason, and an Ok result always holds a raster of the picture's full size.
DecodeResult DecodePicture(const std::string& path, const DecodeProgress& progress = {});

// The two decoders, whatever the extension.
//
// JPEG: baseline and progressive, grayscale, YCbCr, RGB, CMYK and YCCK (with
// an Adobe marker the CMYK samples are taken as stored inverted, as Adobe
// writes them). A file whose tail is missing or damaged opens with what
// decoded (libjpeg fills the rest with grey) and `damaged` set.
DecodeResult DecodeJpeg(const std::string& path, const DecodeProgress& progress = {});

// BMP: the 12-byte core header and the 40-byte header with its larger
// versions; 1, 4, 8 bit with palette, RLE8 and RLE4, 16 bit (5-5-5 unless
// bit fields say otherwise), 24 bit, 32 bit (with bit fields); bottom-up and
// top-down rows. Pixels that RLE data skips (delta, early end of line or of
// bitmap) take palette entry 0, as in a bitmap cleared to zero before the RLE
// data is drawn into it. Palette indices beyond the palette read as black.
DecodeResult DecodeBmp(const std::string& path, const DecodeProgress& progress = {});

// Refuses absurd sizes before allocation: InvalidDimensions beyond the limits
// above, OutOfMemory beyond the machine's physical memory; Ok otherwise.
DecodeStatus CheckPictureSize(long long width, long long height);

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
