// Opening pictures: every BMP variant and JPEG kind written here into a
// temporary folder, bad files of every sort, and the navigator thumbnail.
#include <gtest/gtest.h>
#include <jpeglib.h>  // after <cstdio>: it needs FILE
#include <stdlib.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "view/u_decodifica.h"

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

namespace {

class TempDir {
public:
    TempDir() {
        std::string pattern = (fs::temp_directory_path() / "vek_decodifica_XXXXXX").string();
        path_ = mkdtemp(pattern.data());
    }
    ~TempDir() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    std::string File(const std::string& name) const { return (path_ / name).string(); }

private:
    fs::path path_;
};

void WriteFile(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

Bytes ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

void Put16(Bytes& b, uint32_t v) {
    b.push_back(v & 0xFF);
    b.push_back((v >> 8) & 0xFF);
}
void Put32(Bytes& b, uint32_t v) {
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
Bytes PackRows(int w, int h, int bpp, bool topDown,
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

std::vector<uint32_t> TestPalette(int n) {
    std::vector<uint32_t> p;
    for (int i = 0; i < n; ++i)
        p.push_back((uint32_t(i * 37 % 256) << 16) | (uint32_t(i * 91 % 256) << 8) |
                    uint32_t(255 - i));
    return p;
}

uint32_t Opaque(uint32_t rgb) { return 0xFF000000u | rgb; }

uint32_t Widen(uint32_t v, int bits) {
    return static_cast<uint32_t>(std::lround(v * 255.0 / ((1 << bits) - 1)));
}

// Asserts that the raster is w × h and pixel (x, y) equals expect(x, y).
void ExpectPixels(const DecodeResult& r, int w, int h,
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
void WriteJpeg(const std::string& path, const JpegParams& params,
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
int Smooth(int x, int y, int c) {
    switch (c) {
        case 0:
            return 40 + x * 2;
        case 1:
            return 30 + y * 3;
        default:
            return 200 - x - y;
    }
}

uint32_t Rgb(int r, int g, int b) {
    return 0xFF000000u | (uint32_t(r) << 16) | (uint32_t(g) << 8) | uint32_t(b);
}

// Largest difference of any channel between the raster and expect(x, y).
int MaxError(const Raster& r, const std::function<uint32_t(int, int)>& expect) {
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

// ---------------------------------------------------------------------------

TEST(PictureKindTest, ChosenByExtensionWithoutCase) {
    EXPECT_EQ(PictureKindOf("/a/b/foto.jpg"), PictureKind::Jpeg);
    EXPECT_EQ(PictureKindOf("FOTO.JPG"), PictureKind::Jpeg);
    EXPECT_EQ(PictureKindOf("foto.Jpeg"), PictureKind::Jpeg);
    EXPECT_EQ(PictureKindOf("foto.bmp"), PictureKind::Bmp);
    EXPECT_EQ(PictureKindOf("C:\\foto.BMP"), PictureKind::Bmp);
    EXPECT_EQ(PictureKindOf("foto.png"), PictureKind::Unknown);
    EXPECT_EQ(PictureKindOf("foto.jpg.txt"), PictureKind::Unknown);
    EXPECT_EQ(PictureKindOf("jpg"), PictureKind::Unknown);
}

TEST_F(DecodeTest, PaletteBitmapsOf1And4And8Bits) {
    for (int bpp : {1, 4, 8}) {
        SCOPED_TRACE(bpp);
        Bmp b;
        b.width = 13;  // rows need padding at every depth
        b.height = 5;
        b.bpp = bpp;
        b.palette = TestPalette(1 << bpp);
        const auto index = [&](int x, int y) { return uint32_t(x * 3 + y * 5) % (1u << bpp); };
        b.data = PackRows(b.width, b.height, bpp, false, index);
        const std::string path = dir.File("p" + std::to_string(bpp) + ".bmp");
        WriteFile(path, b.Encode());
        const DecodeResult r = DecodePicture(path);
        ExpectPixels(r, b.width, b.height,
                     [&](int x, int y) { return Opaque(b.palette[index(x, y)]); });
        EXPECT_FALSE(r.damaged);
    }
}

TEST_F(DecodeTest, CoreHeaderWithThreeBytePalette) {
    Bmp b;
    b.headerSize = 12;
    b.width = 6;
    b.height = 3;
    b.bpp = 8;
    b.palette = TestPalette(256);
    const auto index = [](int x, int y) { return uint32_t(x + 10 * y); };
    b.data = PackRows(b.width, b.height, 8, false, index);
    WriteFile(dir.File("core.bmp"), b.Encode());
    ExpectPixels(DecodePicture(dir.File("core.bmp")), 6, 3,
                 [&](int x, int y) { return Opaque(b.palette[index(x, y)]); });
}

TEST_F(DecodeTest, SixteenBitDefaultsTo555AndBitfieldsGive565) {
    const auto word = [](int x, int y) { return uint32_t((x * 2377 + y * 7919) & 0xFFFF); };
    Bmp b;
    b.width = 31;
    b.height = 4;
    b.bpp = 16;
    b.data = PackRows(b.width, b.height, 16, false, word);
    WriteFile(dir.File("555.bmp"), b.Encode());
    ExpectPixels(DecodePicture(dir.File("555.bmp")), b.width, b.height, [&](int x, int y) {
        const uint32_t w = word(x, y);
        return Rgb(Widen((w >> 10) & 31, 5), Widen((w >> 5) & 31, 5), Widen(w & 31, 5));
    });

    b.compression = 3;
    b.masks = {0xF800, 0x07E0, 0x001F};
    WriteFile(dir.File("565.bmp"), b.Encode());
    ExpectPixels(DecodePicture(dir.File("565.bmp")), b.width, b.height, [&](int x, int y) {
        const uint32_t w = word(x, y);
        return Rgb(Widen(w >> 11, 5), Widen((w >> 5) & 63, 6), Widen(w & 31, 5));
    });
}

TEST_F(DecodeTest, TwentyFourBitBottomUpAndTopDown) {
    const auto rgb = [](int x, int y) { return uint32_t(x * 0x010203 + y * 0x300507) & 0xFFFFFF; };
    for (bool topDown : {false, true}) {
        SCOPED_TRACE(topDown);
        Bmp b;
        b.width = 7;  // 21 bytes a row, padded to 24
        b.height = 9;
        b.topDown = topDown;
        b.data = PackRows(b.width, b.height, 24, topDown, rgb);
        WriteFile(dir.File("24.bmp"), b.Encode());
        ExpectPixels(DecodePicture(dir.File("24.bmp")), 7, 9,
                     [&](int x, int y) { return Opaque(rgb(x, y)); });
    }
}

TEST_F(DecodeTest, ThirtyTwoBitPlainAndWithBitfields) {
    const auto rgb = [](int x, int y) { return uint32_t(x * 0x0A0B0C + y * 0x332211) & 0xFFFFFF; };
    Bmp b;
    b.width = 5;
    b.height = 4;
    b.bpp = 32;
    // The fourth byte is alpha or junk: the raster is opaque whatever it holds.
    b.data = PackRows(5, 4, 32, false, [&](int x, int y) { return rgb(x, y) | 0x5A000000u; });
    WriteFile(dir.File("32.bmp"), b.Encode());
    ExpectPixels(DecodePicture(dir.File("32.bmp")), 5, 4,
                 [&](int x, int y) { return Opaque(rgb(x, y)); });

    // Red in the low byte, blue at the top, given in a V5 header; and a
    // 10-10-10 layout after a plain header.
    b.compression = 3;
    b.headerSize = 124;
    b.masks = {0x000000FF, 0x0000FF00, 0xFF000000};
    b.data = PackRows(5, 4, 32, false, [&](int x, int y) {
        const uint32_t c = rgb(x, y);
        return ((c >> 16) & 0xFF) | (c & 0xFF00) | ((c & 0xFF) << 24);
    });
    WriteFile(dir.File("32v5.bmp"), b.Encode());
    ExpectPixels(DecodePicture(dir.File("32v5.bmp")), 5, 4,
                 [&](int x, int y) { return Opaque(rgb(x, y)); });

    b.headerSize = 40;
    b.masks = {0x3FF00000, 0x000FFC00, 0x000003FF};
    b.data = PackRows(5, 4, 32, false, [&](int x, int y) {
        const uint32_t c = rgb(x, y);
        return (((c >> 16) & 0xFF) << 22) | (((c >> 8) & 0xFF) << 12) | ((c & 0xFF) << 2);
    });
    WriteFile(dir.File("32x10.bmp"), b.Encode());
    ExpectPixels(DecodePicture(dir.File("32x10.bmp")), 5, 4,
                 [&](int x, int y) { return Opaque(rgb(x, y)); });
}

TEST_F(DecodeTest, Rle8RunsAbsoluteDeltaAndEscapes) {
    Bmp b;
    b.width = 8;
    b.height = 4;
    b.bpp = 8;
    b.compression = 1;
    b.palette = TestPalette(8);
    b.data = {
        3, 1, 0, 3, 2, 3, 4, 0, 2, 5, 0, 0,  // line 0: 1 1 1 2 3 4 5 5 (absolute run padded)
        0, 2, 2, 1,                          // delta to line 1 ... x 2, line 2: skips line 1
        4, 6, 0, 0,                          // line 2: _ _ 6 6 6 6 _ _
        8, 7, 0, 1,                          // line 3: all 7, end of bitmap
    };
    // Lines count from the bottom; skipped pixels take palette entry 0.
    const int lines[4][8] = {{1, 1, 1, 2, 3, 4, 5, 5},
                             {0, 0, 0, 0, 0, 0, 0, 0},
                             {0, 0, 6, 6, 6, 6, 0, 0},
                             {7, 7, 7, 7, 7, 7, 7, 7}};
    WriteFile(dir.File("rle8.bmp"), b.Encode());
    const DecodeResult r = DecodePicture(dir.File("rle8.bmp"));
    ExpectPixels(r, 8, 4, [&](int x, int y) { return Opaque(b.palette[lines[3 - y][x]]); });
    EXPECT_FALSE(r.damaged);
}

TEST_F(DecodeTest, Rle4NibbleRunsAndOddAbsoluteRuns) {
    Bmp b;
    b.width = 8;
    b.height = 2;
    b.bpp = 4;
    b.compression = 2;
    b.palette = TestPalette(16);
    b.data = {
        5, 0x12, 0,    3,    0x34, 0x50, 0, 0,  // line 0: 1 2 1 2 1 3 4 5
        0, 5,    0x56, 0x78, 0x90, 0x00,        // line 1: 5 6 7 8 9 (3 bytes, padded)
        3, 0xAB, 0,    1,                       //         then 10 11 10
    };
    const int lines[2][8] = {{1, 2, 1, 2, 1, 3, 4, 5}, {5, 6, 7, 8, 9, 10, 11, 10}};
    WriteFile(dir.File("rle4.bmp"), b.Encode());
    const DecodeResult r = DecodePicture(dir.File("rle4.bmp"));
    ExpectPixels(r, 8, 2, [&](int x, int y) { return Opaque(b.palette[lines[1 - y][x]]); });
    EXPECT_FALSE(r.damaged);
}

TEST_F(DecodeTest, RleRunningPastThePictureOpensDamaged) {
    Bmp b;
    b.width = 4;
    b.height = 2;
    b.bpp = 8;
    b.compression = 1;
    b.palette = TestPalette(4);
    b.data = {10, 1, 0, 0, 0, 2, 200, 200, 3, 2, 0, 1};  // run of 10 on a 4-wide line, far delta
    WriteFile(dir.File("over.bmp"), b.Encode());
    DecodeResult r = DecodePicture(dir.File("over.bmp"));
    ASSERT_TRUE(r.Ok()) << r.reason;
    EXPECT_TRUE(r.damaged);
    EXPECT_FALSE(r.warning.empty());
    for (int x = 0; x < 4; ++x) {
        EXPECT_EQ(r.raster.Row(1)[x], Opaque(b.palette[1]));
        EXPECT_EQ(r.raster.Row(0)[x], Opaque(b.palette[0]));
    }

    // Data that stops half way: what was drawn stays, the rest is background.
    b.data = {4, 2, 0, 0};
    WriteFile(dir.File("short.bmp"), b.Encode());
    r = DecodePicture(dir.File("short.bmp"));
    ASSERT_TRUE(r.Ok()) << r.reason;
    EXPECT_TRUE(r.damaged);
    EXPECT_EQ(r.raster.Row(1)[3], Opaque(b.palette[2]));
    EXPECT_EQ(r.raster.Row(0)[0], Opaque(b.palette[0]));
}

TEST_F(DecodeTest, PaletteIndexBeyondThePaletteIsBlackAndDamaged) {
    Bmp b;
    b.width = 4;
    b.height = 1;
    b.bpp = 8;
    b.palette = TestPalette(2);
    b.data = {0, 1, 2, 255};
    WriteFile(dir.File("pal.bmp"), b.Encode());
    const DecodeResult r = DecodePicture(dir.File("pal.bmp"));
    ExpectPixels(r, 4, 1, [&](int x, int) { return x < 2 ? Opaque(b.palette[x]) : 0xFF000000u; });
    EXPECT_TRUE(r.damaged);
}

TEST_F(DecodeTest, BadBitmapsAreRefusedWithAReason) {
    Bmp good;
    good.width = 4;
    good.height = 4;
    good.data = PackRows(4, 4, 24, false, [](int, int) { return 0x123456u; });
    const Bytes valid = good.Encode();

    struct Case {
        const char* name;
        Bytes bytes;
        DecodeStatus status;
        const char* reasonPart;
    };
    std::vector<Case> cases;
    cases.push_back({"text", Bytes{'c', 'i', 'a', 'o', '\n'}, DecodeStatus::UnknownFormat,
                     "formato non riconosciuto"});
    cases.push_back({"header cut", Bytes(valid.begin(), valid.begin() + 30),
                     DecodeStatus::Truncated, "troncato"});
    cases.push_back({"pixels cut", Bytes(valid.begin(), valid.end() - 20), DecodeStatus::Truncated,
                     "troncato"});
    Bytes offset = valid;
    offset[10] = 0xFF;
    offset[11] = 0xFF;
    offset[12] = 0x0F;  // data offset about 1 MB into a 102-byte file
    cases.push_back({"offset past end", offset, DecodeStatus::Truncated, "troncato"});
    Bmp huge = good;
    huge.width = 1000000000;  // the pixel data given is tiny: no allocation may be tried
    cases.push_back({"width 1e9", huge.Encode(), DecodeStatus::InvalidDimensions,
                     "dimensioni non valide (1000000000 × 4)"});
    huge.width = 40000;
    huge.height = 40000;  // each side allowed, 1.6 gigapixels not
    cases.push_back({"too many pixels", huge.Encode(), DecodeStatus::InvalidDimensions,
                     "dimensioni non valide"});
    Bmp zero = good;
    zero.height = 0;
    cases.push_back({"zero height", zero.Encode(), DecodeStatus::InvalidDimensions,
                     "dimensioni non valide (4 × 0)"});
    Bmp jpegInside = good;
    jpegInside.compression = 4;
    cases.push_back(
        {"embedded jpeg", jpegInside.Encode(), DecodeStatus::Unsupported, "non supportata"});

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile(dir.File("bad.bmp"), c.bytes);
        const DecodeResult r = DecodePicture(dir.File("bad.bmp"));
        EXPECT_EQ(r.status, c.status);
        EXPECT_NE(r.reason.find(c.reasonPart), std::string::npos) << r.reason;
        EXPECT_TRUE(r.raster.Empty());
    }
}

TEST_F(DecodeTest, UnreadableAndEmptyFiles) {
    DecodeResult r = DecodePicture(dir.File("missing.jpg"));
    EXPECT_EQ(r.status, DecodeStatus::CannotRead);
    EXPECT_FALSE(r.reason.empty());

    fs::create_directory(dir.File("folder.bmp"));
    EXPECT_EQ(DecodePicture(dir.File("folder.bmp")).status, DecodeStatus::CannotRead);

    for (const char* name : {"empty.jpg", "empty.bmp"}) {
        WriteFile(dir.File(name), {});
        r = DecodePicture(dir.File(name));
        EXPECT_EQ(r.status, DecodeStatus::EmptyFile);
        EXPECT_EQ(r.reason, "file vuoto");
    }

    WriteFile(dir.File("foto.png"), {0x89, 'P', 'N', 'G'});
    EXPECT_EQ(DecodePicture(dir.File("foto.png")).status, DecodeStatus::UnknownFormat);
}

TEST_F(DecodeTest, JpegBaselineAndProgressiveColour) {
    for (bool progressive : {false, true}) {
        SCOPED_TRACE(progressive);
        JpegParams params;
        params.progressive = progressive;
        const std::string path = dir.File(progressive ? "prog.JPG" : "base.jpeg");
        WriteJpeg(path, params, Smooth);
        const DecodeResult r = DecodePicture(path);
        ASSERT_TRUE(r.Ok()) << r.reason;
        EXPECT_FALSE(r.damaged) << r.warning;
        ASSERT_EQ(r.raster.Width(), 64);
        ASSERT_EQ(r.raster.Height(), 48);
        EXPECT_LE(MaxError(r.raster,
                           [](int x, int y) {
                               return Rgb(Smooth(x, y, 0), Smooth(x, y, 1), Smooth(x, y, 2));
                           }),
                  6);
    }
}

TEST_F(DecodeTest, JpegGrayscaleGivesEqualChannels) {
    JpegParams params;
    params.in = JCS_GRAYSCALE;
    params.width = 33;  // not a multiple of the block size
    params.height = 17;
    WriteJpeg(dir.File("gray.jpg"), params, [](int x, int y, int) { return 20 + 5 * x + 3 * y; });
    const DecodeResult r = DecodePicture(dir.File("gray.jpg"));
    ASSERT_TRUE(r.Ok()) << r.reason;
    EXPECT_LE(MaxError(r.raster,
                       [](int x, int y) {
                           const int v = 20 + 5 * x + 3 * y;
                           return Rgb(v, v, v);
                       }),
              3);
    const uint32_t p = r.raster.Row(8)[16];
    EXPECT_EQ((p >> 16) & 0xFF, p & 0xFF);
    EXPECT_EQ((p >> 8) & 0xFF, p & 0xFF);
}

TEST_F(DecodeTest, JpegAdobeCmykAndYcckAreInvertedInk) {
    // Adobe stores 255 − ink. With stored K = 200 everywhere, the colour is
    // stored C′ · K′ / 255 for each channel.
    const auto inverted = [](int x, int y, int c) { return c == 3 ? 200 : Smooth(x, y, c); };
    const auto expect = [](int x, int y) {
        return Rgb(Smooth(x, y, 0) * 200 / 255, Smooth(x, y, 1) * 200 / 255,
                   Smooth(x, y, 2) * 200 / 255);
    };
    for (J_COLOR_SPACE stored : {JCS_CMYK, JCS_YCCK}) {
        SCOPED_TRACE(stored);
        JpegParams params;
        params.in = JCS_CMYK;
        params.stored = stored;
        WriteJpeg(dir.File("cmyk.jpg"), params, inverted);
        const DecodeResult r = DecodePicture(dir.File("cmyk.jpg"));
        ASSERT_TRUE(r.Ok()) << r.reason;
        EXPECT_LE(MaxError(r.raster, expect), 6);
    }
}

TEST_F(DecodeTest, TruncatedJpegTailOpensDamaged) {
    JpegParams params;
    params.width = 160;
    params.height = 160;
    params.quality = 90;
    WriteJpeg(dir.File("whole.jpg"), params,
              [](int x, int y, int c) { return (x * 13 + y * 7 + c * 50) % 256; });
    Bytes bytes = ReadFile(dir.File("whole.jpg"));
    const DecodeResult whole = DecodePicture(dir.File("whole.jpg"));
    ASSERT_TRUE(whole.Ok());
    bytes.resize(bytes.size() / 2);
    WriteFile(dir.File("half.jpg"), bytes);
    const DecodeResult r = DecodePicture(dir.File("half.jpg"));
    ASSERT_TRUE(r.Ok()) << r.reason;
    EXPECT_TRUE(r.damaged);
    EXPECT_NE(r.warning.find("troncato"), std::string::npos) << r.warning;
    ASSERT_EQ(r.raster.Width(), 160);
    ASSERT_EQ(r.raster.Height(), 160);
    // The top rows decoded as in the whole file.
    for (int x = 0; x < 160; ++x) EXPECT_EQ(r.raster.Row(3)[x], whole.raster.Row(3)[x]);
}

TEST_F(DecodeTest, BadJpegsAreRefusedWithAReason) {
    JpegParams params;
    WriteJpeg(dir.File("good.jpg"), params, Smooth);
    const Bytes good = ReadFile(dir.File("good.jpg"));

    struct Case {
        const char* name;
        Bytes bytes;
        DecodeStatus status;
    };
    std::vector<Case> cases;
    cases.push_back(
        {"header cut", Bytes(good.begin(), good.begin() + 40), DecodeStatus::Truncated});
    cases.push_back({"png bytes", Bytes{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13},
                     DecodeStatus::UnknownFormat});
    cases.push_back({"text", Bytes{'n', 'o', 'n', ' ', 'u', 'n', 'a', ' ', 'f', 'o', 't', 'o'},
                     DecodeStatus::UnknownFormat});
    cases.push_back({"only SOI", Bytes{0xFF, 0xD8}, DecodeStatus::Truncated});
    // 60 000 × 60 000 in the frame header: refused before any pixel memory.
    Bytes huge = good;
    for (std::size_t i = 2; i + 8 < huge.size(); ++i)
        if (huge[i] == 0xFF && huge[i + 1] == 0xC0) {
            huge[i + 5] = huge[i + 7] = 60000 >> 8;
            huge[i + 6] = huge[i + 8] = 60000 & 0xFF;
            break;
        }
    cases.push_back({"60000 x 60000", huge, DecodeStatus::InvalidDimensions});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile(dir.File("bad.jpg"), c.bytes);
        const DecodeResult r = DecodePicture(dir.File("bad.jpg"));
        EXPECT_EQ(r.status, c.status) << r.reason;
        EXPECT_FALSE(r.reason.empty());
        EXPECT_TRUE(r.raster.Empty());
    }
}

// Random damage anywhere in a file never crashes or hangs: the result is a
// failure, or a raster of the declared size.
TEST_F(DecodeTest, RandomDamageNeverCrashes) {
    JpegParams params;
    params.progressive = true;
    WriteJpeg(dir.File("good.jpg"), params, Smooth);
    Bmp bmp;
    bmp.width = 20;
    bmp.height = 10;
    bmp.bpp = 8;
    bmp.compression = 1;
    bmp.palette = TestPalette(16);
    for (int k = 0; k < 10; ++k) bmp.data.insert(bmp.data.end(), {0, 3, 1, 2, 3, 0, 17, 5, 0, 0});
    bmp.data.insert(bmp.data.end(), {0, 1});
    const Bytes sources[2] = {ReadFile(dir.File("good.jpg")), bmp.Encode()};
    std::mt19937 rng(12345);
    for (int round = 0; round < 300; ++round) {
        const bool jpeg = round % 2 == 0;
        Bytes b = sources[jpeg ? 0 : 1];
        const int hits = 1 + static_cast<int>(rng() % 4);
        for (int h = 0; h < hits; ++h) b[rng() % b.size()] = static_cast<uint8_t>(rng());
        if (rng() % 4 == 0) b.resize(rng() % b.size());
        const std::string path = dir.File(jpeg ? "fuzz.jpg" : "fuzz.bmp");
        WriteFile(path, b);
        const DecodeResult r = DecodePicture(path);
        if (r.Ok()) {
            EXPECT_FALSE(r.raster.Empty());
            EXPECT_GT(r.raster.Width(), 0);
        } else {
            EXPECT_TRUE(r.raster.Empty());
            EXPECT_FALSE(r.reason.empty());
        }
    }
}

TEST_F(DecodeTest, LargeJpegOpens) {
    // 12 000 × 9 000: a large camera's picture must open.
    JpegParams params;
    params.width = 12000;
    params.height = 9000;
    params.quality = 75;
    WriteJpeg(dir.File("large.jpg"), params,
              [](int x, int y, int c) { return (x / 40 + y / 30 + c * 60) & 255; });
    const DecodeResult r = DecodePicture(dir.File("large.jpg"));
    ASSERT_TRUE(r.Ok()) << r.reason;
    EXPECT_FALSE(r.damaged);
    EXPECT_EQ(r.raster.Width(), 12000);
    EXPECT_EQ(r.raster.Height(), 9000);
}

TEST(PictureSizeTest, LimitsBeforeAllocation) {
    EXPECT_EQ(CheckPictureSize(12000, 9000), DecodeStatus::Ok);
    EXPECT_EQ(CheckPictureSize(65535, 1), DecodeStatus::Ok);
    EXPECT_EQ(CheckPictureSize(65536, 1), DecodeStatus::InvalidDimensions);
    EXPECT_EQ(CheckPictureSize(20000, 20000), DecodeStatus::Ok);
    EXPECT_EQ(CheckPictureSize(20001, 20000), DecodeStatus::InvalidDimensions);
    EXPECT_EQ(CheckPictureSize(0, 10), DecodeStatus::InvalidDimensions);
    EXPECT_EQ(CheckPictureSize(10, -1), DecodeStatus::InvalidDimensions);
}

// ---------------------------------------------------------------------------

TEST(ThumbnailTest, SizesFollowTheLongerSide) {
    struct Case {
        int w, h, tw, th, step;
    };
    for (const Case& c : {Case{601, 200, 300, 100, 2}, Case{1000, 1000, 333, 300, 3},
                          Case{640, 480, 300, 240, 2}, Case{480, 640, 240, 300, 2},
                          Case{6000, 4000, 300, 200, 20}, Case{10000, 2, 300, 1, 33}}) {
        SCOPED_TRACE(std::to_string(c.w) + " x " + std::to_string(c.h));
        const ThumbnailGeometry g = ThumbnailSize(c.w, c.h);
        EXPECT_EQ(g.width, c.tw);
        EXPECT_EQ(g.height, c.th);
        EXPECT_EQ(g.step, c.step);
    }
    EXPECT_FALSE(NeedsThumbnail(600, 600));
    EXPECT_TRUE(NeedsThumbnail(601, 10));
    EXPECT_TRUE(NeedsThumbnail(10, 601));
    EXPECT_THROW(ThumbnailSize(600, 600), std::invalid_argument);
}

TEST(ThumbnailTest, NearestSamplesAtMultiplesOfTheStep) {
    Raster src;
    ASSERT_TRUE(src.Allocate(1000, 1000));
    for (int y = 0; y < 1000; ++y)
        for (int x = 0; x < 1000; ++x)
            src.Row(y)[x] = 0xFF000000u | (uint32_t(y) << 12) | uint32_t(x);
    const Raster t = MakeThumbnailRaster(src);
    ASSERT_EQ(t.Width(), 333);
    ASSERT_EQ(t.Height(), 300);
    for (int j : {0, 1, 150, 299})
        for (int i : {0, 1, 200, 332}) EXPECT_EQ(t.Row(j)[i], src.Row(j * 3)[i * 3]);
}

}  // namespace
