#include "view/u_decodifica.h"

#include <jerror.h>
#include <jpeglib.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cctype>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <vector>

#if defined(__unix__) || defined(__APPLE__)
#include <unistd.h>
#endif

namespace {

// ---------------------------------------------------------------------------
// Common

std::string SizeText(long long width, long long height) {
    return std::to_string(width) + " × " + std::to_string(height);
}

DecodeResult Failure(DecodeStatus status, std::string reason) {
    DecodeResult r;
    r.status = status;
    r.reason = std::move(reason);
    return r;
}

DecodeResult SizeFailure(DecodeStatus status, long long width, long long height) {
    if (status == DecodeStatus::OutOfMemory)
        return Failure(status, "memoria insufficiente per un'immagine di " +
                                   SizeText(width, height) + " pixel");
    return Failure(status, "dimensioni non valide (" + SizeText(width, height) + ")");
}

// Passes on a fraction of the work as a percentage, once per change.
void ReportProgress(const DecodeProgress* progress, int& last, long long done, long long total) {
    if (!progress || !*progress || total <= 0) return;
    const int percent = static_cast<int>(std::clamp<long long>(done * 100 / total, 0, 100));
    if (percent == last) return;
    last = percent;
    (*progress)(percent);
}

unsigned long long PhysicalMemoryBytes() {
#if defined(_SC_PHYS_PAGES) && defined(_SC_PAGESIZE)
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pages > 0 && pageSize > 0)
        return static_cast<unsigned long long>(pages) * static_cast<unsigned long long>(pageSize);
#endif
    return 0;  // unknown: leave it to the allocation
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Opens a regular, non-empty file for reading and gives its size; on failure
// `failure` says why.
FilePtr OpenPictureFile(const std::string& path, unsigned long long& size, DecodeResult& failure) {
    std::error_code ec;
    const std::filesystem::path p(path);
    if (!std::filesystem::is_regular_file(p, ec)) {
        failure = Failure(DecodeStatus::CannotRead, "impossibile leggere il file");
        return nullptr;
    }
    size = std::filesystem::file_size(p, ec);
    if (ec) {
        failure = Failure(DecodeStatus::CannotRead, "impossibile leggere il file");
        return nullptr;
    }
    if (size == 0) {
        failure = Failure(DecodeStatus::EmptyFile, "file vuoto");
        return nullptr;
    }
    FilePtr f(std::fopen(path.c_str(), "rb"));
    if (!f) failure = Failure(DecodeStatus::CannotRead, "impossibile leggere il file");
    return f;
}

// ---------------------------------------------------------------------------
// JPEG
//
// libjpeg reports fatal errors through error_exit, which must not return; ours
// longjmps back to DecodeJpegInner. Everything that lives across that jump is
// plain data (JpegJob, the libjpeg structs), so no destructor is skipped: the
// C++ objects (the result, its strings) belong to the caller's frame.

constexpr int kMaxJpegScans = 1000;  // a real progressive file has about ten
constexpr int kRowsPerBatch = 16;

enum class JpegStage { Header, Decode };

struct JpegJob {
    jpeg_error_mgr err;  // first: libjpeg hands back a pointer to it
    jpeg_progress_mgr progress;
    std::jmp_buf escape;
    Raster* raster;
    JpegStage stage;
    int width;
    int height;
    int rowsDone;
    bool cmyk;
    bool invertedCmyk;
    bool tooManyScans;
    DecodeStatus sizeStatus;  // a refusal of the header's dimensions
    int fatalCode;            // libjpeg message code of the fatal error, or -1
    int damageWarnings;       // warnings that mean lost picture data
    bool sawEof;
    char fatalText[JMSG_LENGTH_MAX];
    char firstWarningText[JMSG_LENGTH_MAX];
    const DecodeProgress* onProgress;  // may be null
    int lastPercent;
};

void JpegErrorExit(j_common_ptr cinfo) {
    JpegJob* job = reinterpret_cast<JpegJob*>(cinfo->err);
    job->fatalCode = cinfo->err->msg_code;
    cinfo->err->format_message(cinfo, job->fatalText);
    std::longjmp(job->escape, 1);
}

void JpegEmitMessage(j_common_ptr cinfo, int msgLevel) {
    if (msgLevel >= 0) return;  // trace messages
    JpegJob* job = reinterpret_cast<JpegJob*>(cinfo->err);
    const int code = cinfo->err->msg_code;
    cinfo->err->num_warnings++;
    // Metadata complaints leave the picture intact; stray bytes before a
    // marker come after the scan's data has been decoded.
    if (code == JWRN_JFIF_MAJOR || code == JWRN_BOGUS_ICC || code == JWRN_EXTRANEOUS_DATA) return;
    if (code == JWRN_JPEG_EOF) job->sawEof = true;
    if (job->damageWarnings++ == 0) cinfo->err->format_message(cinfo, job->firstWarningText);
}

void JpegOutputMessage(j_common_ptr) {}

// libjpeg calls this between rows and between the scans of a progressive
// file: the place to refuse runaway scan counts and to report progress.
void JpegProgress(j_common_ptr cinfo) {
    if (!cinfo->is_decompressor) return;
    auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
    JpegJob* job = reinterpret_cast<JpegJob*>(cinfo->err);
    if (d->input_scan_number > kMaxJpegScans) {
        job->tooManyScans = true;
        job->fatalCode = -1;
        std::longjmp(job->escape, 1);
    }
    const jpeg_progress_mgr& p = job->progress;
    const long long passes = std::max(1, p.total_passes);
    const long long limit = std::max(1LL, static_cast<long long>(p.pass_limit));
    const long long within = std::clamp(static_cast<long long>(p.pass_counter), 0LL, limit);
    ReportProgress(job->onProgress, job->lastPercent,
                   std::min<long long>(p.completed_passes, passes) * limit + within, passes * limit);
}

inline uint32_t CmykToPixel(unsigned c, unsigned m, unsigned y, unsigned k, bool inverted) {
    if (!inverted) {
        c = 255 - c;
        m = 255 - m;
        y = 255 - y;
        k = 255 - k;
    }
    // c, m, y, k are now the amounts of ink left out, so each product is the
    // light that comes back.
    const unsigned r = (c * k + 127) / 255;
    const unsigned g = (m * k + 127) / 255;
    const unsigned b = (y * k + 127) / 255;
    return 0xFF000000u | (r << 16) | (g << 8) | b;
}

void ConvertCmykRow(uint32_t* row, int width, bool inverted) {
    auto* bytes = reinterpret_cast<const unsigned char*>(row);
    for (int x = 0; x < width; ++x) {
        const unsigned char* s = bytes + 4 * x;
        row[x] = CmykToPixel(s[0], s[1], s[2], s[3], inverted);
    }
}

// Returns true when every row was decoded. On false, job says how far it got
// and why. No object with a destructor may live in this frame.
bool DecodeJpegInner(jpeg_decompress_struct* cinfo, JpegJob* job, std::FILE* file) {
    if (setjmp(job->escape)) return false;

    jpeg_create_decompress(cinfo);
    cinfo->client_data = job;
    job->progress.progress_monitor = JpegProgress;
    cinfo->progress = &job->progress;
    jpeg_stdio_src(cinfo, file);

    job->stage = JpegStage::Header;
    jpeg_read_header(cinfo, TRUE);
    job->width = static_cast<int>(cinfo->image_width);
    job->height = static_cast<int>(cinfo->image_height);
    job->sizeStatus = CheckPictureSize(cinfo->image_width, cinfo->image_height);
    if (job->sizeStatus != DecodeStatus::Ok) return false;

    if (cinfo->jpeg_color_space == JCS_CMYK || cinfo->jpeg_color_space == JCS_YCCK) {
        // Four bytes a pixel, like the raster: decoded in place, converted
        // row by row.
        cinfo->out_color_space = JCS_CMYK;
        job->cmyk = true;
        job->invertedCmyk = cinfo->saw_Adobe_marker;
    } else {
        // Blue, green, red, alpha in memory is 0xFFRRGGBB in a little-endian
        // word, with alpha set to 0xFF by the library.
        static_assert(std::endian::native == std::endian::little);
        cinfo->out_color_space = JCS_EXT_BGRA;
    }

    if (!job->raster->Allocate(job->width, job->height)) {
        job->sizeStatus = DecodeStatus::OutOfMemory;
        return false;
    }

    jpeg_start_decompress(cinfo);
    job->stage = JpegStage::Decode;
    if (cinfo->output_width != cinfo->image_width || cinfo->output_height != cinfo->image_height ||
        cinfo->output_components != 4) {
        job->fatalCode = -1;
        std::snprintf(job->fatalText, sizeof job->fatalText, "unexpected output geometry");
        return false;
    }

    JSAMPROW rows[kRowsPerBatch];
    while (cinfo->output_scanline < cinfo->output_height) {
        const int first = static_cast<int>(cinfo->output_scanline);
        const int count = std::min(kRowsPerBatch, job->height - first);
        for (int k = 0; k < count; ++k)
            rows[k] = reinterpret_cast<JSAMPROW>(job->raster->Row(first + k));
        const int got = static_cast<int>(jpeg_read_scanlines(cinfo, rows, count));
        if (job->cmyk)
            for (int k = 0; k < got; ++k)
                ConvertCmykRow(job->raster->Row(first + k), job->width, job->invertedCmyk);
        job->rowsDone = first + got;
        if (got == 0) {  // a stdio source never suspends; refuse to spin
            job->fatalCode = -1;
            std::snprintf(job->fatalText, sizeof job->fatalText, "no scanline returned");
            return false;
        }
    }
    // The rest of the file (trailing markers) adds nothing to the picture,
    // so it is not read: jpeg_destroy_decompress releases everything.
    return true;
}

DecodeResult JpegFailure(const JpegJob& job) {
    if (job.sizeStatus != DecodeStatus::Ok)
        return SizeFailure(job.sizeStatus, job.width, job.height);
    if (job.tooManyScans)
        return Failure(DecodeStatus::Corrupt, "dati JPEG non validi (troppe scansioni)");
    switch (job.fatalCode) {
        case JERR_OUT_OF_MEMORY:
            return SizeFailure(DecodeStatus::OutOfMemory, job.width, job.height);
        case JERR_NO_SOI:
            return Failure(DecodeStatus::UnknownFormat, "formato non riconosciuto");
        case JERR_INPUT_EMPTY:
            return Failure(DecodeStatus::EmptyFile, "file vuoto");
        case JERR_IMAGE_TOO_BIG:
        case JERR_EMPTY_IMAGE:
            return Failure(DecodeStatus::InvalidDimensions,
                           std::string("dimensioni non valide (") + job.fatalText + ")");
        case JERR_ARITH_NOTIMPL:
        case JERR_BAD_PRECISION:
        case JERR_CONVERSION_NOTIMPL:
        case JERR_NOT_COMPILED:
        case JERR_BAD_J_COLORSPACE:
        case JERR_BAD_IN_COLORSPACE:
        case JERR_BAD_LIB_VERSION:
            return Failure(DecodeStatus::Unsupported,
                           std::string("variante JPEG non supportata (") + job.fatalText + ")");
        default:
            break;
    }
    if (job.sawEof) return Failure(DecodeStatus::Truncated, "file troncato");
    return Failure(DecodeStatus::Corrupt,
                   std::string("dati JPEG non validi (") + job.fatalText + ")");
}

std::string JpegDamageText(const JpegJob& job) {
    if (job.sawEof) return "file troncato: la parte mancante dell'immagine è grigia";
    return std::string("dati JPEG danneggiati (") + job.firstWarningText +
           "): l'immagine può essere incompleta";
}

// ---------------------------------------------------------------------------
// BMP

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

// Reads the headers and palette from the start of the file. Returns Ok or a
// failure with its reason in `failure`.
bool ParseBmpHeaders(const std::vector<unsigned char>& head, unsigned long long fileSize,
                     BmpInfo& info, DecodeResult& failure) {
    const std::size_t n = head.size();
    if (n < 2 || head[0] != 'B' || head[1] != 'M') {
        failure = Failure(DecodeStatus::UnknownFormat, "formato non riconosciuto");
        return false;
    }
    if (n < 18) {
        failure = Failure(DecodeStatus::Truncated, "file troncato");
        return false;
    }
    info.dataOffset = Le32(&head[10]);
    info.headerSize = Le32(&head[14]);
    const uint32_t hs = info.headerSize;
    const bool core = hs == 12;
    if (!core && hs != 40 && hs != 52 && hs != 56 && hs != 64 && hs != 108 && hs != 124) {
        failure = Failure(DecodeStatus::Unsupported, "bitmap non supportata (intestazione di " +
                                                         std::to_string(hs) + " byte)");
        return false;
    }
    if (n < 14 + hs) {
        failure = Failure(DecodeStatus::Truncated, "file troncato");
        return false;
    }
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
    if (!ok || (core && bpp == 16) || (core && bpp == 32)) {
        failure = Failure(DecodeStatus::Unsupported,
                          "bitmap non supportata (" + std::to_string(bpp) + " bit, compressione " +
                              std::to_string(comp) + ")");
        return false;
    }

    const DecodeStatus sizeStatus = CheckPictureSize(info.width, info.height);
    if (sizeStatus != DecodeStatus::Ok) {
        failure = SizeFailure(sizeStatus, info.width, info.height);
        return false;
    }
    if (info.dataOffset >= fileSize) {
        failure = Failure(DecodeStatus::Truncated,
                          "file troncato (inizio dei dati oltre la fine del file)");
        return false;
    }
    if (info.dataOffset < 14 + hs) {
        failure =
            Failure(DecodeStatus::Corrupt, "bitmap non valida (inizio dei dati nell'intestazione)");
        return false;
    }

    // Bit fields: inside the larger headers, after the 40-byte one.
    std::size_t next = 14 + hs;
    if (comp == kBiBitfields || comp == kBiAlphaBitfields) {
        const unsigned char* m;
        if (hs >= 52) {
            m = h + 40;
        } else {
            const std::size_t count = comp == kBiAlphaBitfields ? 4 : 3;
            if (n < next + 4 * count) {
                failure = Failure(DecodeStatus::Truncated, "file troncato");
                return false;
            }
            m = &head[next];
            next += 4 * count;
        }
        for (int c = 0; c < 3; ++c) info.masks[c] = Le32(m + 4 * c);
    } else if (bpp == 16) {
        info.masks[0] = 0x7C00;
        info.masks[1] = 0x03E0;
        info.masks[2] = 0x001F;
    } else if (bpp == 32) {
        info.masks[0] = 0x00FF0000;
        info.masks[1] = 0x0000FF00;
        info.masks[2] = 0x000000FF;
    }

    if (bpp <= 8) {
        const std::size_t entry = core ? 3 : 4;
        long long count = 1LL << bpp;
        if (!core) {
            const uint32_t used = Le32(h + 32);
            if (used != 0 && used < count) count = used;
        }
        // Some writers store fewer entries than they declare: the pixel data
        // then starts where the palette should go on.
        if (info.dataOffset > next)
            count = std::min<long long>(count, (info.dataOffset - next) / entry);
        if (next + count * entry > n) {
            failure = Failure(DecodeStatus::Truncated, "file troncato");
            return false;
        }
        if (count == 0) {
            failure = Failure(DecodeStatus::Corrupt, "bitmap non valida (tavolozza mancante)");
            return false;
        }
        for (long long i = 0; i < count; ++i) {
            const unsigned char* e = &head[next + i * entry];
            info.palette[i] = 0xFF000000u | (uint32_t(e[2]) << 16) | (uint32_t(e[1]) << 8) | e[0];
        }
        for (std::size_t i = count; i < info.palette.size(); ++i) info.palette[i] = 0xFF000000u;
        info.paletteCount = static_cast<int>(count);
    }
    return true;
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
        return Failure(DecodeStatus::Truncated, "file troncato");

    DecodeResult result;
    if (!result.raster.Allocate(width, height))
        return SizeFailure(DecodeStatus::OutOfMemory, width, height);
    if (std::fseek(f, static_cast<long>(info.dataOffset), SEEK_SET) != 0)
        return Failure(DecodeStatus::CannotRead, "impossibile leggere il file");

    const BmpRowConverter convert(info);
    std::vector<unsigned char> row(stride);
    bool inside = true;
    int lastPercent = -1;
    for (int r = 0; r < height; ++r) {
        ReportProgress(&progress, lastPercent, r, height);
        const std::size_t want = r + 1 < height ? stride : lastRow;
        if (std::fread(row.data(), 1, want, f) != want)
            return Failure(DecodeStatus::CannotRead, "impossibile leggere il file");
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
        return Failure(DecodeStatus::CannotRead, "impossibile leggere il file");

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

// ---------------------------------------------------------------------------

PictureKind PictureKindOf(const std::string& path) {
    const std::string ext = std::filesystem::path(path).extension().string();
    std::string lower(ext.size(), '\0');
    std::transform(ext.begin(), ext.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (lower == ".jpg" || lower == ".jpeg") return PictureKind::Jpeg;
    if (lower == ".bmp") return PictureKind::Bmp;
    return PictureKind::Unknown;
}

DecodeStatus CheckPictureSize(long long width, long long height) {
    if (width <= 0 || height <= 0 || width > kMaxPictureSide || height > kMaxPictureSide ||
        width * height > kMaxPicturePixels)
        return DecodeStatus::InvalidDimensions;
    const unsigned long long physical = PhysicalMemoryBytes();
    const unsigned long long bytes = static_cast<unsigned long long>(width * height) * 4;
    if (physical != 0 && bytes > physical) return DecodeStatus::OutOfMemory;
    return DecodeStatus::Ok;
}

DecodeResult DecodePicture(const std::string& path, const DecodeProgress& progress) {
    switch (PictureKindOf(path)) {
        case PictureKind::Jpeg:
            return DecodeJpeg(path, progress);
        case PictureKind::Bmp:
            return DecodeBmp(path, progress);
        case PictureKind::Unknown:
            break;
    }
    return Failure(DecodeStatus::UnknownFormat, "formato non riconosciuto");
}

DecodeResult DecodeJpeg(const std::string& path, const DecodeProgress& progress) {
    unsigned long long fileSize = 0;
    DecodeResult result;
    FilePtr file = OpenPictureFile(path, fileSize, result);
    if (!file) return result;

    jpeg_decompress_struct cinfo;
    std::memset(&cinfo, 0, sizeof cinfo);
    JpegJob job;
    std::memset(&job, 0, sizeof job);
    cinfo.err = jpeg_std_error(&job.err);
    job.err.error_exit = JpegErrorExit;
    job.err.emit_message = JpegEmitMessage;
    job.err.output_message = JpegOutputMessage;
    job.raster = &result.raster;
    job.sizeStatus = DecodeStatus::Ok;
    job.fatalCode = -1;
    job.onProgress = &progress;
    job.lastPercent = -1;

    const bool complete = DecodeJpegInner(&cinfo, &job, file.get());
    jpeg_destroy_decompress(&cinfo);

    if (complete || (job.stage == JpegStage::Decode && job.rowsDone > 0 && !job.tooManyScans)) {
        if (!complete) {
            // A fatal error part way: keep the rows decoded, grey below them
            // as libjpeg itself fills a truncated scan.
            std::fill(result.raster.Row(job.rowsDone),
                      result.raster.Row(0) + static_cast<std::size_t>(job.width) * job.height,
                      0xFF808080u);
            result.damaged = true;
            result.warning = std::string("dati JPEG danneggiati (") + job.fatalText +
                             "): l'immagine è incompleta";
        } else if (job.damageWarnings > 0) {
            result.damaged = true;
            result.warning = JpegDamageText(job);
        }
        return result;
    }
    return JpegFailure(job);
}

DecodeResult DecodeBmp(const std::string& path, const DecodeProgress& progress) {
    unsigned long long fileSize = 0;
    DecodeResult failure;
    FilePtr file = OpenPictureFile(path, fileSize, failure);
    if (!file) return failure;

    // The headers, bit fields and a full palette fit in the first 2 KiB.
    std::vector<unsigned char> head(
        static_cast<std::size_t>(std::min<unsigned long long>(fileSize, 2048)));
    if (std::fread(head.data(), 1, head.size(), file.get()) != head.size())
        return Failure(DecodeStatus::CannotRead, "impossibile leggere il file");

    BmpInfo info;
    if (!ParseBmpHeaders(head, fileSize, info, failure)) return failure;
    if (info.compression == kBiRle8 || info.compression == kBiRle4)
        return ReadRleBmp(file.get(), fileSize, info);
    return ReadUncompressedBmp(file.get(), fileSize, info, progress);
}

bool NeedsThumbnail(int width, int height) { return width > 600 || height > 600; }

ThumbnailGeometry ThumbnailSize(int width, int height) {
    if (!NeedsThumbnail(width, height) || width <= 0 || height <= 0)
        throw std::invalid_argument("ThumbnailSize: picture not larger than 600 on a side");
    ThumbnailGeometry g;
    if (height < width) {
        g.step = width / 300;
        g.width = 300;
        g.height = std::max(1, height / g.step);
    } else {
        g.step = height / 300;
        g.width = std::max(1, width / g.step);
        g.height = 300;
    }
    return g;
}

Raster MakeThumbnailRaster(const Raster& src) {
    const ThumbnailGeometry g = ThumbnailSize(src.Width(), src.Height());
    Raster thumb;
    if (!thumb.Allocate(g.width, g.height)) return thumb;
    for (int j = 0; j < g.height; ++j) {
        const uint32_t* s = src.Row(j * g.step);
        uint32_t* d = thumb.Row(j);
        for (int i = 0; i < g.width; ++i) d[i] = s[i * g.step];
    }
    return thumb;
}
