// Time to open a large JPEG the way the source image window does (decoding
// with progress reports, then the navigator thumbnail) against plain libjpeg
// decoding into an RGB buffer with default settings; then the same picture
// as PNG and as TIFF (Deflate, as Vek writes them) against plain libpng and
// libtiff decoding into an RGB buffer.
//
//   open_bench [picture.jpg]
//
// Without an argument a 6000 × 4000 textured picture (quality 90) is written
// to /tmp first. Each decoder runs three times; the best time counts.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>
#include <png.h>
#include <tiffio.h>

#include "export/u_scrivipng.h"
#include "export/u_scrivitiff.h"
#include "platform/filewrite.h"
#include "view/u_decodifica.h"

namespace {

bool WriteTestPicture(const std::string& path, int width, int height) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    jpeg_stdio_dest(&c, f);
    c.image_width = width;
    c.image_height = height;
    c.in_color_space = JCS_RGB;
    c.input_components = 3;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 90, TRUE);
    jpeg_start_compress(&c, TRUE);
    // Smooth shading with fine texture and a little noise: something like a
    // photographed wall, so the entropy coder has real work to do.
    std::vector<JSAMPLE> row(static_cast<std::size_t>(width) * 3);
    unsigned seed = 12345;
    while (c.next_scanline < c.image_height) {
        const int y = static_cast<int>(c.next_scanline);
        for (int x = 0; x < width; ++x) {
            seed = seed * 1103515245u + 12345u;
            const int noise = static_cast<int>((seed >> 16) & 15) - 8;
            const double shade = 128 + 60 * std::sin(x * 0.003) * std::cos(y * 0.004);
            const int brick = ((x / 37 + (y / 19) % 2) % 5 == 0 || y % 19 == 0) ? -40 : 0;
            const int v = static_cast<int>(shade) + brick + noise;
            row[3 * x] = static_cast<JSAMPLE>(std::clamp(v + 30, 0, 255));
            row[3 * x + 1] = static_cast<JSAMPLE>(std::clamp(v, 0, 255));
            row[3 * x + 2] = static_cast<JSAMPLE>(std::clamp(v - 25 + (x * y) % 7, 0, 255));
        }
        JSAMPROW p = row.data();
        jpeg_write_scanlines(&c, &p, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    return std::fclose(f) == 0;
}

// The reference: libjpeg's defaults, RGB out, one whole-picture buffer.
bool PlainLibjpeg(const std::string& path, int& width, int& height) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    jpeg_decompress_struct d;
    jpeg_error_mgr err;
    d.err = jpeg_std_error(&err);
    jpeg_create_decompress(&d);
    jpeg_stdio_src(&d, f);
    jpeg_read_header(&d, TRUE);
    d.out_color_space = JCS_RGB;
    jpeg_start_decompress(&d);
    width = static_cast<int>(d.output_width);
    height = static_cast<int>(d.output_height);
    const std::size_t stride = static_cast<std::size_t>(width) * d.output_components;
    auto* buffer = static_cast<JSAMPLE*>(std::malloc(stride * height));
    while (d.output_scanline < d.output_height) {
        JSAMPROW p = buffer + d.output_scanline * stride;
        jpeg_read_scanlines(&d, &p, 1);
    }
    jpeg_finish_decompress(&d);
    jpeg_destroy_decompress(&d);
    std::fclose(f);
    std::free(buffer);
    return true;
}

// The reference for PNG: libpng with only the expansions any reader needs,
// 8-bit RGB rows into one whole-picture buffer.
bool PlainLibpng(const std::string& path, int& width, int& height) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, f);
    png_read_info(png, info);
    width = static_cast<int>(png_get_image_width(png, info));
    height = static_cast<int>(png_get_image_height(png, info));
    png_read_update_info(png, info);
    const std::size_t stride = png_get_rowbytes(png, info);
    auto* buffer = static_cast<png_bytep>(std::malloc(stride * height));
    for (int y = 0; y < height; ++y) png_read_row(png, buffer + y * stride, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(f);
    std::free(buffer);
    return true;
}

// The reference for TIFF: libtiff's strips, decoded in place into one
// whole-picture buffer.
bool PlainLibtiff(const std::string& path, int& width, int& height) {
    TIFF* tif = TIFFOpen(path.c_str(), "r");
    if (!tif) return false;
    uint32_t w = 0, h = 0;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &w);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &h);
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    const tmsize_t stripBytes = TIFFStripSize(tif);
    const uint32_t strips = TIFFNumberOfStrips(tif);
    auto* buffer = static_cast<unsigned char*>(std::malloc(std::size_t(stripBytes) * strips));
    bool ok = true;
    for (uint32_t s = 0; s < strips; ++s)
        ok &= TIFFReadEncodedStrip(tif, s, buffer + std::size_t(stripBytes) * s, -1) >= 0;
    TIFFClose(tif);
    std::free(buffer);
    return ok;
}

template <typename F>
double BestMs(int runs, F&& f) {
    double best = 1e30;
    for (int i = 0; i < runs; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        f();
        const auto t1 = std::chrono::steady_clock::now();
        best = std::min(best, std::chrono::duration<double, std::milli>(t1 - t0).count());
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    std::string path;
    if (argc > 1) {
        path = argv[1];
    } else {
        path = "/tmp/vek_open_bench_6000x4000.jpg";
        std::printf("writing %s ...\n", path.c_str());
        if (!WriteTestPicture(path, 6000, 4000)) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
        }
    }

    constexpr int kRuns = 3;
    bool ok = true;
    int width = 0, height = 0;
    int reports = 0;
    const double ours = BestMs(kRuns, [&] {
        const DecodeResult r = DecodePicture(path, [&](int) { ++reports; });
        if (r.Ok() && NeedsThumbnail(r.raster.Width(), r.raster.Height()))
            ok &= !MakeThumbnailRaster(r.raster).Empty();
        if (!r.Ok()) {
            std::fprintf(stderr, "DecodePicture: %s\n", r.reason.c_str());
            ok = false;
        }
        width = r.raster.Width();
        height = r.raster.Height();
    });
    if (!ok) return 1;
    int pw = 0, ph = 0;
    const double plain = BestMs(kRuns, [&] { ok &= PlainLibjpeg(path, pw, ph); });
    if (!ok || pw != width || ph != height) {
        std::fprintf(stderr, "plain libjpeg decoding failed\n");
        return 1;
    }

    std::printf("%s: %d x %d (%.1f megapixels)\n", path.c_str(), width, height,
                width * static_cast<double>(height) / 1e6);
    std::printf("opening path (decode, %d progress reports, thumbnail): %8.1f ms\n",
                reports / kRuns, ours);
    std::printf("plain libjpeg (JCS_RGB buffer):                       %8.1f ms\n", plain);
    std::printf("ratio ours / plain: %.3f (target <= 1.3)\n", ours / plain);

    // The same picture as PNG and as TIFF, written by Vek's own encoders.
    const DecodeResult picture = DecodePicture(path);
    const std::optional<std::string> pngBytes = EncodePng(picture.raster);
    const std::optional<std::string> tiffBytes = EncodeTiff(picture.raster);
    const std::string pngPath = "/tmp/vek_open_bench.png", tiffPath = "/tmp/vek_open_bench.tif";
    if (!pngBytes || !tiffBytes || !WriteFileAtomic(pngPath, *pngBytes).Ok() ||
        !WriteFileAtomic(tiffPath, *tiffBytes).Ok()) {
        std::fprintf(stderr, "cannot write the PNG and TIFF copies\n");
        return 1;
    }
    struct Other {
        const char* name;
        const std::string& path;
        bool (*plain)(const std::string&, int&, int&);
    };
    for (const Other& o :
         {Other{"PNG ", pngPath, PlainLibpng}, Other{"TIFF", tiffPath, PlainLibtiff}}) {
        const double mine = BestMs(kRuns, [&] {
            const DecodeResult r = DecodePicture(o.path, [&](int) {});
            ok &= r.Ok() && !MakeThumbnailRaster(r.raster).Empty();
        });
        const double bare = BestMs(kRuns, [&] { ok &= o.plain(o.path, pw, ph); });
        if (!ok) {
            std::fprintf(stderr, "%s decoding failed\n", o.name);
            return 1;
        }
        std::printf("%s opening path (decode, progress, thumbnail):     %8.1f ms\n", o.name, mine);
        std::printf("%s plain library (RGB buffer):                     %8.1f ms\n", o.name, bare);
        std::printf("%s ratio ours / plain: %.3f (target <= 1.1)\n", o.name, mine / bare);
    }
    return 0;
}
