#include "export/u_scrivipng.h"

#include <png.h>

#include <bit>
#include <csetjmp>
#include <new>

namespace {

// libpng's fatal errors longjmp back to EncodeRows; across the jump live only
// the libpng structs and this plain record.
struct PngSink {
    std::jmp_buf escape;
    std::string* bytes;
};

void SinkError(png_structp png, png_const_charp) {
    std::longjmp(static_cast<PngSink*>(png_get_error_ptr(png))->escape, 1);
}

void SinkWarning(png_structp, png_const_charp) {}

void SinkWrite(png_structp png, png_bytep data, png_size_t length) {
    auto* sink = static_cast<PngSink*>(png_get_io_ptr(png));
    try {
        sink->bytes->append(reinterpret_cast<const char*>(data), length);
    } catch (const std::bad_alloc&) {
        png_error(png, "memoria insufficiente");
    }
}

void SinkFlush(png_structp) {}

// No object with a destructor may live in this frame.
bool EncodeRows(png_structp png, png_infop info, PngSink* sink, const Raster& picture) {
    if (setjmp(sink->escape)) return false;
    png_set_write_fn(png, sink, SinkWrite, SinkFlush);
    png_set_IHDR(png, info, static_cast<png_uint_32>(picture.Width()),
                 static_cast<png_uint_32>(picture.Height()), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    // The raster's pixels are blue, green, red, 0xFF in memory: libpng takes
    // them as they are and leaves the fourth byte out.
    static_assert(std::endian::native == std::endian::little);
    png_set_bgr(png);
    png_set_filler(png, 0, PNG_FILLER_AFTER);
    for (int y = 0; y < picture.Height(); ++y)
        png_write_row(png, reinterpret_cast<png_const_bytep>(picture.Row(y)));
    png_write_end(png, info);
    return true;
}

}  // namespace

std::optional<std::string> EncodePng(const Raster& picture) {
    if (picture.Empty()) return std::nullopt;
    std::string bytes;
    PngSink sink{};
    sink.bytes = &bytes;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &sink, SinkError, SinkWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return std::nullopt;
    }
    const bool done = EncodeRows(png, info, &sink, picture);
    png_destroy_write_struct(&png, &info);
    if (!done) return std::nullopt;
    return bytes;
}
