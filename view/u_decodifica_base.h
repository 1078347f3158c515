// What every picture decoder shares: the result with its status and Italian
// reason, progress reports, the size limits and the opening of the file. The
// decoders (view/u_jpeg.h, view/u_bmp.h) include
// this header only; view/u_decodifica.h chooses between them.
#pragma once

#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "platform/raster.h"

enum class DecodeStatus {
    Ok,
    CannotRead,         // missing, not a regular file, or a read error
    EmptyFile,          // zero bytes
    UnknownFormat,      // the bytes are of no kind a decoder reads
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

// Refuses absurd sizes before allocation: InvalidDimensions beyond the limits
// above, OutOfMemory beyond the machine's physical memory; Ok otherwise.
DecodeStatus CheckPictureSize(long long width, long long height);

// The decoders' common steps. Callers of DecodePicture have no use for them.
namespace decode_detail {

DecodeResult Failure(DecodeStatus status, std::string reason);
// The refusal of a picture's size: "dimensioni non valide (W × H)", or the
// memory it would take for OutOfMemory.
DecodeResult SizeFailure(DecodeStatus status, long long width, long long height);

// Reasons given by every decoder.
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
