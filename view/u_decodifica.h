// Opening a photograph into a 32-bit Raster, and the navigator thumbnail.
//
// Pictures come back as Raster (0xFFRRGGBB pixels, row 0 at the top), whatever
// the file stores: JPEG through libjpeg (view/u_jpeg.h), Windows bitmaps read by
// view/u_bmp.h. Nothing in these units shows a message; failures come back as
// a status with an Italian reason text (UTF-8) that the window turns into a
// message box.
#pragma once

#include <cstdio>
#include <functional>
#include <memory>
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

// The two decoders it chooses between, DecodeJpeg (view/u_jpeg.h) and
// DecodeBmp (view/u_bmp.h), may also be called directly, whatever the
// extension.

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

// What the two decoders share: failures with their reason texts, progress
// reports and the opening of the file. Callers have no use for it.
namespace decode_detail {

DecodeResult Failure(DecodeStatus status, std::string reason);
// The refusal of a picture's size: "dimensioni non valide (W × H)", or the
// memory it would take for OutOfMemory.
DecodeResult SizeFailure(DecodeStatus status, long long width, long long height);

// Reasons given by both decoders.
inline constexpr const char* kCannotReadText = "impossibile leggere il file";
inline constexpr const char* kUnknownFormatText = "formato non riconosciuto";
inline constexpr const char* kTruncatedText = "file troncato";
inline constexpr const char* kEmptyFileText = "file vuoto";

// Passes on done / total as a percentage to `progress` (null or empty: no
// one to tell), only when it differs from `last`, which it then updates.
void ReportProgress(const DecodeProgress* progress, int& last, long long done, long long total);

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Opens a regular, non-empty file for reading and gives its size; on failure
// returns null and `failure` says why.
FilePtr OpenPictureFile(const std::string& path, unsigned long long& size, DecodeResult& failure);

}  // namespace decode_detail
