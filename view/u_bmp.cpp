#include "view/u_bmp.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

using namespace decode_detail;

namespace {

constexpr uint32_t kBiRgb = 0, kBiRle8 = 1, kBiRle4 = 2, kBiBitfields = 3, kBiAlphaBitfields = 6;

inline uint16_t Le16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t Le32(const unsigned char* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// One colour channel of a 16 or 32 bit pixel: the mask's bits, widened or
// narrowed to eight (a 5-bit 31 becomes 255).
struct Channel {
    uint32_t mask = 0;
    int shift = 0;
    int bits = 0;
    std::array<uint8_t, 256> scale{};

    explicit Channel(uint32_t m = 0) : mask(m) {
        if (!m) return;
        shift = std::countr_zero(m);
        bits = 32 - std::countl_zero(m) - shift;
        if (bits <= 8) {
            const unsigned max = (1u << bits) - 1;
            for (unsigned v = 0; v <= max; ++v)
                scale[v] = static_cast<uint8_t>((v * 255 + max / 2) / max);
        }
    }
    uint32_t Of(uint32_t p) const {
        if (!bits) return 0;
        const uint32_t v = (p & mask) >> shift;
        return bits <= 8 ? scale[v] : (v >> (bits - 8)) & 0xFF;
    }
};

struct BmpInfo {
    uint32_t dataOffset = 0;
    uint32_t headerSize = 0;
    long long width = 0;
    long long height = 0;  // positive
    bool topDown = false;
    int bpp = 0;
    uint32_t compression = 0;
    uint32_t masks[3] = {0, 0, 0};
    std::array<uint32_t, 256> palette{};  // entries past paletteCount are black
    int paletteCount = 0;
};

// The three steps below read the start of the file, `head`, into `info`.
// Each returns true when its part is sound, false with the reason in
// `failure` otherwise.

bool Refuse(DecodeResult& failure, DecodeStatus status, std::string reason) {
    failure = Failure(status, std::move(reason));
    return false;
}

// The file header and the bitmap header: sizes, bits per pixel, compression
// and where the pixel data starts.
bool ParseBmpHeader(const std::vector<unsigned char>& head, unsigned long long fileSize,
                    BmpInfo& info, DecodeResult& failure) {
    const std::size_t n = head.size();
    if (n < 2 || head[0] != 'B' || head[1] != 'M')
        return Refuse(failure, DecodeStatus::UnknownFormat, kUnknownFormatText);
    if (n < 18) return Refuse(failure, DecodeStatus::Truncated, kTruncatedText);
    info.dataOffset = Le32(&head[10]);
    info.headerSize = Le32(&head[14]);
    const uint32_t hs = info.headerSize;
    const bool core = hs == 12;
    if (!core && hs != 40 && hs != 52 && hs != 56 && hs != 64 && hs != 108 && hs != 124)
        return Refuse(failure, DecodeStatus::Unsupported,
                      "bitmap non supportata (intestazione di " + std::to_string(hs) + " byte)");
    if (n < 14 + hs) return Refuse(failure, DecodeStatus::Truncated, kTruncatedText);
    const unsigned char* h = &head[14];
    long long rawHeight;
    if (core) {
        info.width = Le16(h + 4);
        rawHeight = Le16(h + 6);
        info.bpp = Le16(h + 10);
        info.compression = kBiRgb;
    } else {
        info.width = static_cast<int32_t>(Le32(h + 4));
        rawHeight = static_cast<int32_t>(Le32(h + 8));
        info.bpp = Le16(h + 14);
        info.compression = Le32(h + 16);
    }
    info.topDown = rawHeight < 0;
    info.height = rawHeight < 0 ? -rawHeight : rawHeight;

    const int bpp = info.bpp;
    const uint32_t comp = info.compression;
    const bool ok =
        (comp == kBiRgb &&
         (bpp == 1 || bpp == 4 || bpp == 8 || bpp == 16 || bpp == 24 || bpp == 32)) ||
        (comp == kBiRle8 && bpp == 8) || (comp == kBiRle4 && bpp == 4) ||
        ((comp == kBiBitfields || comp == kBiAlphaBitfields) && (bpp == 16 || bpp == 32));
    if (!ok || (core && bpp == 16) || (core && bpp == 32))
        return Refuse(failure, DecodeStatus::Unsupported,
                      "bitmap non supportata (" + std::to_string(bpp) + " bit, compressione " +
                          std::to_string(comp) + ")");

    const DecodeStatus sizeStatus = CheckPictureSize(info.width, info.height);
    if (sizeStatus != DecodeStatus::Ok) {
        failure = SizeFailure(sizeStatus, info.width, info.height);
        return false;
    }
    if (info.dataOffset >= fileSize)
        return Refuse(failure, DecodeStatus::Truncated,
                      "file troncato (inizio dei dati oltre la fine del file)");
    if (info.dataOffset < 14 + hs)
        return Refuse(failure, DecodeStatus::Corrupt,
                      "bitmap non valida (inizio dei dati nell'intestazione)");
    return true;
}

// The colour masks of 16 and 32 bit pixels: the bit fields inside the larger
// headers or just after the 40-byte one, or the fixed 5-5-5 and 8-8-8 layouts.
// `next` is where the palette would start, moved past bit fields stored after
// the header.
bool ReadBmpMasks(const std::vector<unsigned char>& head, BmpInfo& info, std::size_t& next,
                  DecodeResult& failure) {
    next = 14 + info.headerSize;
    const uint32_t comp = info.compression;
    if (comp == kBiBitfields || comp == kBiAlphaBitfields) {
        const unsigned char* m;
        if (info.headerSize >= 52) {
            m = &head[14 + 40];
        } else {
            const std::size_t count = comp == kBiAlphaBitfields ? 4 : 3;
            if (head.size() < next + 4 * count)
                return Refuse(failure, DecodeStatus::Truncated, kTruncatedText);
            m = &head[next];
            next += 4 * count;
        }
        for (int c = 0; c < 3; ++c) info.masks[c] = Le32(m + 4 * c);
    } else if (info.bpp == 16) {
        info.masks[0] = 0x7C00;
        info.masks[1] = 0x03E0;
        info.masks[2] = 0x001F;
    } else if (info.bpp == 32) {
        info.masks[0] = 0x00FF0000;
        info.masks[1] = 0x0000FF00;
        info.masks[2] = 0x000000FF;
    }
    return true;
}

// The palette of 1, 4 and 8 bit pictures, starting at `next`: three bytes an
// entry after the core header, four after the others.
bool ReadBmpPalette(const std::vector<unsigned char>& head, std::size_t next, BmpInfo& info,
                    DecodeResult& failure) {
    if (info.bpp > 8) return true;
    const bool core = info.headerSize == 12;
    const std::size_t entry = core ? 3 : 4;
    long long count = 1LL << info.bpp;
    if (!core) {
        const uint32_t used = Le32(&head[14 + 32]);
        if (used != 0 && used < count) count = used;
    }
    // Some writers store fewer entries than they declare: the pixel data
    // then starts where the palette should go on.
    if (info.dataOffset > next)
        count = std::min<long long>(count, (info.dataOffset - next) / entry);
    if (next + count * entry > head.size())
        return Refuse(failure, DecodeStatus::Truncated, kTruncatedText);
    if (count == 0)
        return Refuse(failure, DecodeStatus::Corrupt, "bitmap non valida (tavolozza mancante)");
    for (long long i = 0; i < count; ++i) {
        const unsigned char* e = &head[next + i * entry];
        info.palette[i] = 0xFF000000u | (uint32_t(e[2]) << 16) | (uint32_t(e[1]) << 8) | e[0];
    }
    for (std::size_t i = count; i < info.palette.size(); ++i) info.palette[i] = 0xFF000000u;
    info.paletteCount = static_cast<int>(count);
    return true;
}

// Headers, masks and palette, in that order.
bool ParseBmpHeaders(const std::vector<unsigned char>& head, unsigned long long fileSize,
                     BmpInfo& info, DecodeResult& failure) {
    std::size_t next = 0;
    return ParseBmpHeader(head, fileSize, info, failure) &&
           ReadBmpMasks(head, info, next, failure) && ReadBmpPalette(head, next, info, failure);
}

// Converts one stored row of an uncompressed bitmap. Returns false when a
// palette index falls beyond the palette.
class BmpRowConverter {
public:
    explicit BmpRowConverter(const BmpInfo& info) : info_(info) {
        const Channel r(info.masks[0]), g(info.masks[1]), b(info.masks[2]);
        if (info.bpp == 16) {
            table16_.resize(65536);
            for (uint32_t p = 0; p < 65536; ++p)
                table16_[p] = 0xFF000000u | (r.Of(p) << 16) | (g.Of(p) << 8) | b.Of(p);
        }
        plain32_ = info.masks[0] == 0x00FF0000 && info.masks[1] == 0x0000FF00 &&
                   info.masks[2] == 0x000000FF;
        r_ = r;
        g_ = g;
        b_ = b;
    }

    bool Convert(const unsigned char* s, uint32_t* d, int width) const {
        const auto& pal = info_.palette;
        const int count = info_.paletteCount;
        bool inside = true;
        switch (info_.bpp) {
            case 1:
                for (int x = 0; x < width; ++x) {
                    const int i = (s[x >> 3] >> (7 - (x & 7))) & 1;
                    inside &= i < count;
                    d[x] = pal[i];
                }
                break;
            case 4:
                for (int x = 0; x < width; ++x) {
                    const int i = (x & 1) ? (s[x >> 1] & 0x0F) : (s[x >> 1] >> 4);
                    inside &= i < count;
                    d[x] = pal[i];
                }
                break;
            case 8:
                for (int x = 0; x < width; ++x) {
                    inside &= s[x] < count;
                    d[x] = pal[s[x]];
                }
                break;
            case 16:
                for (int x = 0; x < width; ++x) d[x] = table16_[Le16(s + 2 * x)];
                break;
            case 24:
                for (int x = 0; x < width; ++x, s += 3)
                    d[x] = 0xFF000000u | (uint32_t(s[2]) << 16) | (uint32_t(s[1]) << 8) | s[0];
                break;
            case 32:
                if (plain32_) {
                    for (int x = 0; x < width; ++x) d[x] = Le32(s + 4 * x) | 0xFF000000u;
                } else {
                    for (int x = 0; x < width; ++x) {
                        const uint32_t p = Le32(s + 4 * x);
                        d[x] = 0xFF000000u | (r_.Of(p) << 16) | (g_.Of(p) << 8) | b_.Of(p);
                    }
                }
                break;
        }
        return inside;
    }

private:
    const BmpInfo& info_;
    std::vector<uint32_t> table16_;
    bool plain32_ = false;
    Channel r_, g_, b_;
};

const char* const kPaletteWarning = "indici di colore oltre la tavolozza: quei pixel sono neri";

DecodeResult ReadUncompressedBmp(std::FILE* f, unsigned long long fileSize, const BmpInfo& info,
                                 const DecodeProgress& progress) {
    const int width = static_cast<int>(info.width);
    const int height = static_cast<int>(info.height);
    const unsigned long long stride = ((info.width * info.bpp + 31) / 32) * 4;
    const unsigned long long lastRow = (info.width * info.bpp + 7) / 8;
    // The last row's padding may be missing; its pixels may not.
    if (info.dataOffset + stride * (height - 1) + lastRow > fileSize)
        return Failure(DecodeStatus::Truncated, kTruncatedText);

    DecodeResult result;
    if (!result.raster.Allocate(width, height))
        return SizeFailure(DecodeStatus::OutOfMemory, width, height);
    if (std::fseek(f, static_cast<long>(info.dataOffset), SEEK_SET) != 0)
        return Failure(DecodeStatus::CannotRead, kCannotReadText);

    const BmpRowConverter convert(info);
    std::vector<unsigned char> row(stride);
    bool inside = true;
    int lastPercent = -1;
    for (int r = 0; r < height; ++r) {
        ReportProgress(&progress, lastPercent, r, height);
        const std::size_t want = r + 1 < height ? stride : lastRow;
        if (std::fread(row.data(), 1, want, f) != want)
            return Failure(DecodeStatus::CannotRead, kCannotReadText);
        const int y = info.topDown ? r : height - 1 - r;
        inside &= convert.Convert(row.data(), result.raster.Row(y), width);
    }
    if (!inside) {
        result.damaged = true;
        result.warning = kPaletteWarning;
    }
    return result;
}

// RLE8 and RLE4: runs of one index (RLE4: two alternating), absolute runs
// padded to a 16-bit boundary, and the escapes 0-0 end of line, 0-1 end of
// bitmap, 0-2-dx-dy delta. Lines count from the bottom unless top-down.
DecodeResult ReadRleBmp(std::FILE* f, unsigned long long fileSize, const BmpInfo& info) {
    const int width = static_cast<int>(info.width);
    const int height = static_cast<int>(info.height);
    const bool four = info.compression == kBiRle4;

    std::vector<unsigned char> data(fileSize - info.dataOffset);
    if (std::fseek(f, static_cast<long>(info.dataOffset), SEEK_SET) != 0 ||
        std::fread(data.data(), 1, data.size(), f) != data.size())
        return Failure(DecodeStatus::CannotRead, kCannotReadText);

    DecodeResult result;
    if (!result.raster.Allocate(width, height))
        return SizeFailure(DecodeStatus::OutOfMemory, width, height);
    std::fill_n(result.raster.Data(), static_cast<std::size_t>(width) * height, info.palette[0]);

    const auto& pal = info.palette;
    bool inside = true, overrun = false, ended = false;
    long long x = 0, line = 0;
    auto put = [&](int index) {
        if (x < width && line < height) {
            inside &= index < info.paletteCount;
            const int y =
                info.topDown ? static_cast<int>(line) : height - 1 - static_cast<int>(line);
            result.raster.Row(y)[x] = pal[index];
        } else {
            overrun = true;
        }
        ++x;
    };

    const std::size_t n = data.size();
    std::size_t i = 0;
    while (i + 1 < n) {
        const unsigned a = data[i], b = data[i + 1];
        i += 2;
        if (a > 0) {
            for (unsigned k = 0; k < a; ++k) put(four ? ((k & 1) ? (b & 0x0F) : (b >> 4)) : b);
        } else if (b == 0) {
            x = 0;
            ++line;
        } else if (b == 1) {
            ended = true;
            break;
        } else if (b == 2) {
            if (i + 2 > n) break;
            x += data[i];
            line += data[i + 1];
            i += 2;
        } else {
            const std::size_t bytes = four ? (b + 1) / 2 : b;
            const std::size_t avail = std::min(bytes, n - i);
            for (unsigned k = 0; k < b; ++k) {
                const std::size_t at = four ? k / 2 : k;
                if (at >= avail) break;
                put(four ? ((k & 1) ? (data[i + at] & 0x0F) : (data[i + at] >> 4)) : data[i + at]);
            }
            i += bytes + (bytes & 1);
        }
    }
    // Data may stop without its end-of-bitmap once every line is done.
    if (overrun) {
        result.damaged = true;
        result.warning = "dati RLE oltre i bordi dell'immagine: la parte in eccesso è ignorata";
    } else if (!ended && line < height) {
        result.damaged = true;
        result.warning = "dati RLE incompleti: la parte mancante ha il colore di sfondo";
    } else if (!inside) {
        result.damaged = true;
        result.warning = kPaletteWarning;
    }
    return result;
}

}  // namespace

DecodeResult DecodeBmp(const std::string& path, const DecodeProgress& progress) {
    unsigned long long fileSize = 0;
    DecodeResult failure;
    FilePtr file = OpenPictureFile(path, fileSize, failure);
    if (!file) return failure;

    // The headers, bit fields and a full palette fit in the first 2 KiB.
    std::vector<unsigned char> head(
        static_cast<std::size_t>(std::min<unsigned long long>(fileSize, 2048)));
    if (std::fread(head.data(), 1, head.size(), file.get()) != head.size())
        return Failure(DecodeStatus::CannotRead, kCannotReadText);

    BmpInfo info;
    if (!ParseBmpHeaders(head, fileSize, info, failure)) return failure;
    if (info.compression == kBiRle8 || info.compression == kBiRle4)
        return ReadRleBmp(file.get(), fileSize, info);
    return ReadUncompressedBmp(file.get(), fileSize, info, progress);
}
