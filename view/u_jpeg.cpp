#include "view/u_jpeg.h"

#include <jerror.h>
#include <jpeglib.h>

#include <algorithm>
#include <bit>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstring>

using namespace decode_detail;

namespace {

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
                   std::min<long long>(p.completed_passes, passes) * limit + within,
                   passes * limit);
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
            return Failure(DecodeStatus::UnknownFormat, kUnknownFormatText);
        case JERR_INPUT_EMPTY:
            return Failure(DecodeStatus::EmptyFile, kEmptyFileText);
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
    if (job.sawEof) return Failure(DecodeStatus::Truncated, kTruncatedText);
    return Failure(DecodeStatus::Corrupt,
                   std::string("dati JPEG non validi (") + job.fatalText + ")");
}

std::string JpegDamageText(const JpegJob& job) {
    if (job.sawEof) return "file troncato: la parte mancante dell'immagine è grigia";
    return std::string("dati JPEG danneggiati (") + job.firstWarningText +
           "): l'immagine può essere incompleta";
}

}  // namespace

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
