// Opening Windows bitmaps: every header, depth and compression written here
// into a temporary folder, damaged RLE data, and bad bitmaps of every sort.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/view/picture_writers.h"
#include "view/u_decodifica.h"

namespace {

using namespace test_pictures;

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

}  // namespace
