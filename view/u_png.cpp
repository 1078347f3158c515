#include "view/u_png.h"

#include <png.h>

#include <algorithm>
#include <bit>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstring>

using namespace decode_detail;

namespace {

// libpng reports fatal errors through its error function, which must not
// return; ours longjmps back to DecodePngInner. Everything that lives across
// that jump is plain data (PngJob and libpng's own structs).

enum class PngStage { Header, Decode };

struct PngJob {
    std::jmp_buf escape;
    Raster* raster;
    PngStage stage;
    int width;
    int height;
    int rowsDone;  // rows complete (non-interlaced files only)
    bool interlaced;
    DecodeStatus sizeStatus;
    bool failed;
    char fatalText[200];
    char firstWarning[200];
    const DecodeProgress* onProgress;
    int lastPercent;
};

void PngError(png_structp png, png_const_charp message) {
    auto* job = static_cast<PngJob*>(png_get_error_ptr(png));
    std::snprintf(job->fatalText, sizeof job->fatalText, "%s", message);
    job->failed = true;
    std::longjmp(job->escape, 1);
}

void PngWarning(png_structp png, png_const_charp message) {
    auto* job = static_cast<PngJob*>(png_get_error_ptr(png));
    if (!job->firstWarning[0])
        std::snprintf(job->firstWarning, sizeof job->firstWarning, "%s", message);
}

// Turns every colour type and depth into blue, green, red, 0xFF bytes, the
// raster's pixel on a little-endian machine.
void SetOutputTransforms(png_structp png, png_infop info) {
    static_assert(std::endian::native == std::endian::little);
    const int colorType = png_get_color_type(png, info);
    const int depth = png_get_bit_depth(png, info);
    if (colorType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (colorType == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(png);
    if (depth == 16) png_set_scale_16(png);  // rounds, where strip_16 would cut
    if (colorType & PNG_COLOR_MASK_ALPHA) png_set_strip_alpha(png);
    if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(png);
    png_set_bgr(png);
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
}

// Returns true when every row was decoded. No object with a destructor may
// live in this frame.
bool DecodePngInner(png_structp png, png_infop info, PngJob* job, std::FILE* file) {
    if (setjmp(job->escape)) return false;

    png_init_io(png, file);
    png_set_user_limits(png, kMaxPictureSide, kMaxPictureSide);
    job->stage = PngStage::Header;
    png_read_info(png, info);
    job->width = static_cast<int>(png_get_image_width(png, info));
    job->height = static_cast<int>(png_get_image_height(png, info));
    job->sizeStatus = CheckPictureSize(job->width, job->height);
    if (job->sizeStatus != DecodeStatus::Ok) return false;

    SetOutputTransforms(png, info);
    const int passes = png_set_interlace_handling(png);
    job->interlaced = passes > 1;
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != static_cast<std::size_t>(job->width) * 4) {
        job->failed = true;
        std::snprintf(job->fatalText, sizeof job->fatalText, "unexpected row size");
        return false;
    }
    if (!job->raster->Allocate(job->width, job->height)) {
        job->sizeStatus = DecodeStatus::OutOfMemory;
        return false;
    }

    job->stage = PngStage::Decode;
    const long long total = static_cast<long long>(passes) * job->height;
    for (int pass = 0; pass < passes; ++pass) {
        for (int y = 0; y < job->height; ++y) {
            png_read_row(png, reinterpret_cast<png_bytep>(job->raster->Row(y)), nullptr);
            if (!job->interlaced) job->rowsDone = y + 1;
            ReportProgress(job->onProgress, job->lastPercent,
                           static_cast<long long>(pass) * job->height + y + 1, total);
        }
    }
    // What follows the image data (text, time) adds nothing to the picture.
    return true;
}

DecodeResult PngFailure(const PngJob& job, std::FILE* file) {
    if (job.sizeStatus != DecodeStatus::Ok)
        return SizeFailure(job.sizeStatus, job.width, job.height);
    if (std::strstr(job.fatalText, "Not a PNG") || std::strstr(job.fatalText, "PNG signature"))
        return Failure(DecodeStatus::UnknownFormat, kUnknownFormatText);
    if (std::feof(file)) return Failure(DecodeStatus::Truncated, kTruncatedText);
    // The header check names a bad width or height in a warning before its
    // error ("Invalid IHDR data").
    if (job.stage == PngStage::Header &&
        (std::strstr(job.firstWarning, "width") || std::strstr(job.firstWarning, "height")))
        return Failure(DecodeStatus::InvalidDimensions,
                       std::string("dimensioni non valide (") + job.firstWarning + ")");
    return Failure(DecodeStatus::Corrupt,
                   std::string("dati PNG non validi (") + job.fatalText + ")");
}

}  // namespace

DecodeResult DecodePng(const std::string& path, const DecodeProgress& progress) {
    unsigned long long fileSize = 0;
    DecodeResult result;
    FilePtr file = OpenPictureFile(path, fileSize, result);
    if (!file) return result;

    PngJob job;
    std::memset(&job, 0, sizeof job);
    job.raster = &result.raster;
    job.sizeStatus = DecodeStatus::Ok;
    job.onProgress = &progress;
    job.lastPercent = -1;

    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &job, PngError, PngWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return Failure(DecodeStatus::OutOfMemory, "memoria insufficiente");
    }
    const bool complete = DecodePngInner(png, info, &job, file.get());
    png_destroy_read_struct(&png, &info, nullptr);

    if (complete) return result;
    if (job.stage == PngStage::Decode && job.rowsDone > 0) {
        // Keep the rows decoded, grey below them as a truncated JPEG shows.
        std::fill(result.raster.Row(job.rowsDone),
                  result.raster.Row(0) + static_cast<std::size_t>(job.width) * job.height,
                  0xFF808080u);
        result.damaged = true;
        result.warning = std::feof(file.get())
                             ? "file troncato: la parte mancante dell'immagine è grigia"
                             : std::string("dati PNG danneggiati (") + job.fatalText +
                                   "): l'immagine è incompleta";
        return result;
    }
    return PngFailure(job, file.get());
}
