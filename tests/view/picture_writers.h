// Pictures written byte by byte for the decoder tests: a bitmap writer that
// covers every header, depth and compression the decoder reads, JPEG written
// through libjpeg's compressor, and checks of what a decoding gave back.
// Plain C++ like the decoders: the window tests write their pictures through
// the toolkit instead (tests/view/picture_files.h).
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

// After <cstdio>: it needs FILE.
#include <jpeglib.h>

#include "view/u_decodifica.h"

namespace test_pictures {

using Bytes = std::vector<uint8_t>;

class TempDir {
public:
    TempDir() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "vek_decodifica_XXXXXX").string();
        path_ = mkdtemp(pattern.data());
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    std::string File(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

inline void WriteFile(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

inline Bytes ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

inline void Put16(Bytes& b, uint32_t v) {
    b.push_back(v & 0xFF);
    b.push_back((v >> 8) & 0xFF);
}
inline void Put32(Bytes& b, uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

// ---------------------------------------------------------------------------
// A small bitmap writer.

struct Bmp {
    int width = 0;
    int height = 0;
    int bpp = 24;
    uint32_t compression = 0;
    uint32_t headerSize = 40;
    bool topDown = false;
    std::vector<uint32_t> palette;  // 0xRRGGBB
    std::vector<uint32_t> masks;    // bit fields, red green blue
    Bytes data;                     // the pixel data as stored

    Bytes Encode() const {
        const bool core = headerSize == 12;
        const uint32_t maskBytes = (headerSize == 40 && compression == 3) ? 12 : 0;
        const uint32_t paletteBytes = static_cast<uint32_t>(palette.size()) * (core ? 3 : 4);
        const uint32_t offset = 14 + headerSize + maskBytes + paletteBytes;
        Bytes b{'B', 'M'};
        Put32(b, offset + static_cast<uint32_t>(data.size()));
        Put32(b, 0);
        Put32(b, offset);
        Put32(b, headerSize);
        if (core) {
            Put16(b, width);
            Put16(b, height);
            Put16(b, 1);
            Put16(b, bpp);
        } else {
            Put32(b, width);
            Put32(b, topDown ? -height : height);
            Put16(b, 1);
            Put16(b, bpp);
            Put32(b, compression);
            Put32(b, static_cast<uint32_t>(data.size()));
            Put32(b, 2835);
            Put32(b, 2835);
            Put32(b, static_cast<uint32_t>(palette.size()));
            Put32(b, 0);
            if (headerSize > 40) {
                for (std::size_t i = 0; i < 3; ++i) Put32(b, i < masks.size() ? masks[i] : 0);
                b.resize(14 + headerSize, 0);
            }
            if (maskBytes)
                for (uint32_t m : masks) Put32(b, m);
        }
        for (uint32_t c : palette) {
            b.push_back(c & 0xFF);
            b.push_back((c >> 8) & 0xFF);
            b.push_back((c >> 16) & 0xFF);
            if (!core) b.push_back(0);
        }
        b.insert(b.end(), data.begin(), data.end());
        return b;
    }
};

// Packs stored values (palette indices, 16-bit words, 0xRRGGBB, 32-bit words)
// into rows in file order, each padded to four bytes.
inline Bytes PackRows(int w, int h, int bpp, bool topDown,
                      const std::function<uint32_t(int, int)>& value) {
    Bytes out;
    for (int r = 0; r < h; ++r) {
        const int y = topDown ? r : h - 1 - r;
        Bytes row((static_cast<std::size_t>(w) * bpp + 31) / 32 * 4, 0);
        for (int x = 0; x < w; ++x) {
            const uint32_t v = value(x, y);
            switch (bpp) {
                case 1:
                    row[x / 8] |= v << (7 - x % 8);
                    break;
                case 4:
                    row[x / 2] |= x % 2 ? v : v << 4;
                    break;
                case 8:
                    row[x] = v;
                    break;
                case 16:
                    row[2 * x] = v & 0xFF;
                    row[2 * x + 1] = v >> 8;
                    break;
                case 24:
                    row[3 * x] = v & 0xFF;
                    row[3 * x + 1] = (v >> 8) & 0xFF;
                    row[3 * x + 2] = (v >> 16) & 0xFF;
                    break;
                case 32:
                    for (int k = 0; k < 4; ++k) row[4 * x + k] = (v >> (8 * k)) & 0xFF;
                    break;
            }
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

inline std::vector<uint32_t> TestPalette(int n) {
    std::vector<uint32_t> p;
    for (int i = 0; i < n; ++i)
        p.push_back((uint32_t(i * 37 % 256) << 16) | (uint32_t(i * 91 % 256) << 8) |
                    uint32_t(255 - i));
    return p;
}

inline uint32_t Opaque(uint32_t rgb) { return 0xFF000000u | rgb; }

inline uint32_t Widen(uint32_t v, int bits) {
    return static_cast<uint32_t>(std::lround(v * 255.0 / ((1 << bits) - 1)));
}

// Asserts that the raster is w × h and pixel (x, y) equals expect(x, y).
inline void ExpectPixels(const DecodeResult& r, int w, int h,
                         const std::function<uint32_t(int, int)>& expect) {
    ASSERT_TRUE(r.Ok()) << r.reason;
    ASSERT_EQ(r.raster.Width(), w);
    ASSERT_EQ(r.raster.Height(), h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            ASSERT_EQ(r.raster.Row(y)[x], expect(x, y)) << "pixel " << x << ", " << y;
}

// ---------------------------------------------------------------------------
// JPEG writing through libjpeg's compressor.

struct JpegParams {
    int width = 64;
    int height = 48;
    J_COLOR_SPACE in = JCS_RGB;
    J_COLOR_SPACE stored = JCS_UNKNOWN;  // JCS_UNKNOWN: libjpeg's default
    bool progressive = false;
    int quality = 95;
};

// sample(x, y, c) gives component c of pixel (x, y) in `in` colour space.
inline void WriteJpeg(const std::string& path, const JpegParams& params,
                      const std::function<int(int, int, int)>& sample) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    jpeg_stdio_dest(&c, f);
    c.image_width = params.width;
    c.image_height = params.height;
    c.in_color_space = params.in;
    c.input_components = params.in == JCS_GRAYSCALE ? 1 : params.in == JCS_CMYK ? 4 : 3;
    jpeg_set_defaults(&c);
    if (params.stored != JCS_UNKNOWN) jpeg_set_colorspace(&c, params.stored);
    jpeg_set_quality(&c, params.quality, TRUE);
    if (params.progressive) jpeg_simple_progression(&c);
    jpeg_start_compress(&c, TRUE);
    std::vector<JSAMPLE> row(static_cast<std::size_t>(params.width) * c.input_components);
    while (c.next_scanline < c.image_height) {
        const int y = static_cast<int>(c.next_scanline);
        for (int x = 0; x < params.width; ++x)
            for (int k = 0; k < c.input_components; ++k)
                row[x * c.input_components + k] = static_cast<JSAMPLE>(sample(x, y, k));
        JSAMPROW p = row.data();
        jpeg_write_scanlines(&c, &p, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    std::fclose(f);
}

// A smooth colour picture, which JPEG at quality 95 keeps within a few levels.
inline int Smooth(int x, int y, int c) {
    switch (c) {
        case 0:
            return 40 + x * 2;
        case 1:
            return 30 + y * 3;
        default:
            return 200 - x - y;
    }
}

inline uint32_t Rgb(int r, int g, int b) {
    return 0xFF000000u | (uint32_t(r) << 16) | (uint32_t(g) << 8) | uint32_t(b);
}

// Largest difference of any channel between the raster and expect(x, y).
inline int MaxError(const Raster& r, const std::function<uint32_t(int, int)>& expect) {
    int worst = 0;
    for (int y = 0; y < r.Height(); ++y)
        for (int x = 0; x < r.Width(); ++x) {
            const uint32_t a = r.Row(y)[x], b = expect(x, y);
            EXPECT_EQ(a >> 24, 0xFFu);
            for (int s = 0; s < 24; s += 8)
                worst = std::max(worst, std::abs(int((a >> s) & 0xFF) - int((b >> s) & 0xFF)));
        }
    return worst;
}

class DecodeTest : public ::testing::Test {
protected:
    TempDir dir;
};

}  // namespace test_pictures
