#include "view/u_tiff.h"

#include <tiffio.h>

#include <algorithm>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

using namespace decode_detail;

namespace {

constexpr int kMaxSamples = 16;  // colours, alpha and a few extra channels
constexpr long long kBlockSlackBytes = 16LL << 20;

// libtiff's complaints about this file, kept instead of printed: the first
// error names what went wrong.
int KeepFirstError(TIFF*, void* user, const char*, const char* format, va_list args) {
    auto* first = static_cast<std::string*>(user);
    if (first->empty()) {
        char text[256];
        std::vsnprintf(text, sizeof text, format, args);
        *first = text;
    }
    return 1;
}

int IgnoreWarning(TIFF*, void*, const char*, const char*, va_list) { return 1; }

std::string InvalidText(const std::string& firstError) {
    return firstError.empty() ? "dati TIFF non validi"
                              : "dati TIFF non validi (" + firstError + ")";
}

struct TiffCloser {
    void operator()(TIFF* t) const { TIFFClose(t); }
};
using TiffPtr = std::unique_ptr<TIFF, TiffCloser>;

TiffPtr OpenTiff(const std::string& path, std::string& firstError) {
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    if (!options) return nullptr;
    TIFFOpenOptionsSetErrorHandlerExtR(options, KeepFirstError, &firstError);
    TIFFOpenOptionsSetWarningHandlerExtR(options, IgnoreWarning, nullptr);
    TiffPtr tif(TIFFOpenExt(path.c_str(), "r", options));
    TIFFOpenOptionsFree(options);
    return tif;
}

// How the first picture's samples are laid out: blocks (strips, or tiles)
// of blockWidth × blockHeight pixels, `samples` interleaved samples a pixel
// of `bits` each, `rowBytes` a block row.
struct TiffLayout {
    uint32_t width = 0, height = 0;
    uint32_t blockWidth = 0, blockHeight = 0;
    int samples = 0;
    int bits = 0;
    bool tiled = false;
    bool grey = false;
    bool whiteIsZero = false;
    tmsize_t rowBytes = 0;
    tmsize_t blockBytes = 0;
};

DecodeResult Unsupported(const std::string& what) {
    return Failure(DecodeStatus::Unsupported, "variante TIFF non supportata (" + what + ")");
}

// Reads the tags of the first picture into `layout`; Ok, or the refusal.
DecodeResult ReadLayout(TIFF* tif, TiffLayout& layout) {
    uint16_t samples = 1, bits = 1, photometric = 0, planar = PLANARCONFIG_CONTIG;
    uint16_t format = SAMPLEFORMAT_UINT, compression = COMPRESSION_NONE;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &layout.width);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &layout.height);
    const DecodeStatus size = CheckPictureSize(layout.width, layout.height);
    if (size != DecodeStatus::Ok) return SizeFailure(size, layout.width, layout.height);

    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &planar);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLEFORMAT, &format);
    TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
    if (!TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric))
        photometric = samples >= 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK;
    if (bits != 8 && bits != 16) return Unsupported(std::to_string(bits) + " bit per campione");
    if (format != SAMPLEFORMAT_UINT) return Unsupported("campioni non interi");
    if (planar != PLANARCONFIG_CONTIG && samples > 1)
        return Unsupported("campioni in piani separati");
    if (photometric == PHOTOMETRIC_YCBCR && compression == COMPRESSION_JPEG && bits == 8) {
        // libjpeg gives back RGB, three samples a pixel.
        TIFFSetField(tif, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
        photometric = PHOTOMETRIC_RGB;
        samples = 3;
    }
    layout.grey = photometric == PHOTOMETRIC_MINISBLACK || photometric == PHOTOMETRIC_MINISWHITE;
    layout.whiteIsZero = photometric == PHOTOMETRIC_MINISWHITE;
    if (!layout.grey && !(photometric == PHOTOMETRIC_RGB && samples >= 3))
        return Unsupported("colori fotometrici " + std::to_string(photometric));
    if (samples < 1 || samples > kMaxSamples)
        return Unsupported(std::to_string(samples) + " campioni per pixel");
    layout.samples = samples;
    layout.bits = bits;

    layout.tiled = TIFFIsTiled(tif);
    if (layout.tiled) {
        TIFFGetField(tif, TIFFTAG_TILEWIDTH, &layout.blockWidth);
        TIFFGetField(tif, TIFFTAG_TILELENGTH, &layout.blockHeight);
        layout.rowBytes = TIFFTileRowSize(tif);
        layout.blockBytes = TIFFTileSize(tif);
    } else {
        uint32_t rows = layout.height;
        TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &rows);
        layout.blockWidth = layout.width;
        layout.blockHeight = std::clamp<uint32_t>(rows, 1, layout.height);
        layout.rowBytes = TIFFScanlineSize(tif);
        layout.blockBytes = TIFFStripSize(tif);
    }
    const long long pixelBytes = static_cast<long long>(samples) * bits / 8;
    if (layout.blockWidth == 0 || layout.blockHeight == 0 || layout.rowBytes <= 0 ||
        layout.rowBytes < layout.blockWidth * pixelBytes ||
        layout.blockBytes < layout.rowBytes * static_cast<tmsize_t>(layout.blockHeight))
        return Failure(DecodeStatus::Corrupt, "dati TIFF non validi (blocchi incoerenti)");
    // A tile may overhang the picture, but not by so much that one block
    // would take more memory than the whole picture (twice, and some slack).
    const long long pictureBytes =
        static_cast<long long>(layout.width) * layout.height * pixelBytes;
    if (layout.blockBytes > std::max(2 * pictureBytes, kBlockSlackBytes))
        return Failure(DecodeStatus::Corrupt, "dati TIFF non validi (blocchi troppo grandi)");
    return {};
}

inline uint32_t Grey(unsigned v) { return 0xFF000000u | (v << 16) | (v << 8) | v; }

// 16-bit samples (in the machine's order, as libtiff hands them over) to the
// nearest 8-bit value: 65535 / 255 = 257.
inline unsigned Round16(uint16_t v) { return (v + 128u) / 257u; }

// One row of `count` pixels from a block to the raster.
void ConvertRow(const TiffLayout& l, const unsigned char* src, uint32_t* dst, uint32_t count) {
    const int n = l.samples;
    if (l.bits == 8) {
        if (l.grey) {
            const unsigned flip = l.whiteIsZero ? 255u : 0u;
            for (uint32_t x = 0; x < count; ++x) dst[x] = Grey(src[x * n] ^ flip);
        } else {
            for (uint32_t x = 0; x < count; ++x, src += n)
                dst[x] = 0xFF000000u | (uint32_t(src[0]) << 16) | (uint32_t(src[1]) << 8) | src[2];
        }
        return;
    }
    const auto* s = reinterpret_cast<const uint16_t*>(src);
    if (l.grey) {
        const unsigned flip = l.whiteIsZero ? 255u : 0u;
        for (uint32_t x = 0; x < count; ++x) dst[x] = Grey(Round16(s[x * n]) ^ flip);
    } else {
        for (uint32_t x = 0; x < count; ++x, s += n)
            dst[x] = 0xFF000000u | (Round16(s[0]) << 16) | (Round16(s[1]) << 8) | Round16(s[2]);
    }
}

// Whether the block's data would lie beyond the end of the file.
bool BlockPastEnd(TIFF* tif, uint32_t block, unsigned long long fileSize) {
    const uint64_t offset = TIFFGetStrileOffset(tif, block);
    const uint64_t bytes = TIFFGetStrileByteCount(tif, block);
    return offset > fileSize || bytes > fileSize - offset;
}

struct Stop {
    uint32_t row = 0;  // rows decoded before the block that failed
    bool pastEnd = false;
};

// Decodes every block into the allocated raster; true when all were read.
bool ReadBlocks(TIFF* tif, const TiffLayout& l, unsigned long long fileSize, Raster& raster,
                const DecodeProgress& progress, Stop& stop) {
    std::vector<unsigned char> buffer;
    try {
        buffer.resize(static_cast<std::size_t>(l.blockBytes));
    } catch (const std::bad_alloc&) {
        return false;
    }
    int lastPercent = -1;
    for (uint32_t top = 0; top < l.height; top += l.blockHeight) {
        const uint32_t rows = std::min(l.blockHeight, l.height - top);
        for (uint32_t left = 0; left < l.width; left += l.blockWidth) {
            const uint32_t block =
                l.tiled ? TIFFComputeTile(tif, left, top, 0, 0) : TIFFComputeStrip(tif, top, 0);
            const tmsize_t got =
                l.tiled ? TIFFReadEncodedTile(tif, block, buffer.data(), l.blockBytes)
                        : TIFFReadEncodedStrip(tif, block, buffer.data(), l.blockBytes);
            if (got < l.rowBytes * static_cast<tmsize_t>(rows)) {
                stop.row = top;
                stop.pastEnd = BlockPastEnd(tif, block, fileSize);
                return false;
            }
            const uint32_t count = std::min(l.blockWidth, l.width - left);
            for (uint32_t r = 0; r < rows; ++r)
                ConvertRow(l, buffer.data() + r * l.rowBytes, raster.Row(top + r) + left, count);
        }
        ReportProgress(&progress, lastPercent, top + rows, l.height);
    }
    return true;
}

}  // namespace

DecodeResult DecodeTiff(const std::string& path, const DecodeProgress& progress) {
    unsigned long long fileSize = 0;
    DecodeResult result;
    if (!OpenPictureFile(path, fileSize, result)) return result;

    std::string firstError;
    TiffPtr tif = OpenTiff(path, firstError);
    if (!tif) {
        if (fileSize < 8) return Failure(DecodeStatus::Truncated, kTruncatedText);
        return Failure(DecodeStatus::Corrupt, InvalidText(firstError));
    }
    TiffLayout layout;
    if (DecodeResult refusal = ReadLayout(tif.get(), layout); !refusal.Ok()) return refusal;
    if (!result.raster.Allocate(static_cast<int>(layout.width), static_cast<int>(layout.height)))
        return SizeFailure(DecodeStatus::OutOfMemory, layout.width, layout.height);

    Stop stop;
    if (ReadBlocks(tif.get(), layout, fileSize, result.raster, progress, stop)) return result;
    const std::string why = stop.pastEnd ? std::string(kTruncatedText) : InvalidText(firstError);
    if (stop.row == 0)
        return Failure(stop.pastEnd ? DecodeStatus::Truncated : DecodeStatus::Corrupt, why);
    std::fill(result.raster.Row(static_cast<int>(stop.row)),
              result.raster.Row(0) + static_cast<std::size_t>(layout.width) * layout.height,
              0xFF808080u);
    result.damaged = true;
    result.warning = stop.pastEnd ? "file troncato: la parte mancante dell'immagine è grigia"
                                  : why + ": l'immagine è incompleta";
    return result;
}
