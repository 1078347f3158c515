// Time to open a large JPEG the way the source image window does (decoding
// with progress reports, then the navigator thumbnail) against plain libjpeg
// decoding into an RGB buffer with default settings.
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
    return 0;
}
