// Opening PNG and TIFF pictures: every colour kind, depth and layout the
// decoders read, decoded exactly (within JPEG's loss for JPEG-in-TIFF); files
// cut short; variants refused with a reason.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/view/picture_writers.h"
#include "tests/view/png_tiff_writers.h"
#include "view/u_decodifica.h"

namespace {

using namespace test_pictures;

class PngDecodeTest : public DecodeTest, public ::testing::WithParamInterface<PngCase> {};

TEST_P(PngDecodeTest, EveryKindDecodesExactly) {
    const PngCase& p = GetParam();
    const std::string path = dir.File("foto.dat");  // chosen by content, not by name
    WritePng(path, p);
    std::vector<int> reports;
    const DecodeResult r = DecodePicture(path, [&](int percent) { reports.push_back(percent); });
    ASSERT_TRUE(r.Ok()) << r.reason;
    EXPECT_FALSE(r.damaged);
    EXPECT_EQ(MaxError(r.raster, [&](int x, int y) { return ExpectedPng(p, x, y); }), 0);
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(reports.back(), 100);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, PngDecodeTest,
    ::testing::Values(
        PngCase{PNG_COLOR_TYPE_GRAY, 1, false}, PngCase{PNG_COLOR_TYPE_GRAY, 4, true},
        PngCase{PNG_COLOR_TYPE_GRAY, 8, false}, PngCase{PNG_COLOR_TYPE_GRAY, 16, false},
        PngCase{PNG_COLOR_TYPE_GRAY_ALPHA, 8, false}, PngCase{PNG_COLOR_TYPE_GRAY_ALPHA, 16, true},
        PngCase{PNG_COLOR_TYPE_RGB, 8, false}, PngCase{PNG_COLOR_TYPE_RGB, 16, false},
        PngCase{PNG_COLOR_TYPE_RGB, 8, true}, PngCase{PNG_COLOR_TYPE_RGBA, 8, false},
        PngCase{PNG_COLOR_TYPE_RGBA, 16, false}, PngCase{PNG_COLOR_TYPE_PALETTE, 2, false},
        PngCase{PNG_COLOR_TYPE_PALETTE, 8, true}));

class TiffDecodeTest : public DecodeTest, public ::testing::WithParamInterface<TiffCase> {};

TEST_P(TiffDecodeTest, EveryLayoutDecodes) {
    const TiffCase& t = GetParam();
    const std::string path = dir.File("foto.jpg");  // a misleading name
    WriteTiff(path, t);
    std::vector<int> reports;
    const DecodeResult r = DecodePicture(path, [&](int percent) { reports.push_back(percent); });
    ASSERT_TRUE(r.Ok()) << r.reason;
    EXPECT_FALSE(r.damaged);
    ASSERT_EQ(r.raster.Width(), t.width);
    ASSERT_EQ(r.raster.Height(), t.height);
    EXPECT_LE(MaxError(r.raster, [&](int x, int y) { return ExpectedTiff(t, x, y); }),
              Lossy(t) ? 6 : 0);
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(reports.back(), 100);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, TiffDecodeTest,
    ::testing::Values(TiffCase{PHOTOMETRIC_MINISBLACK, 8, false, COMPRESSION_NONE},
                      TiffCase{PHOTOMETRIC_MINISWHITE, 8, true, COMPRESSION_PACKBITS},
                      TiffCase{PHOTOMETRIC_MINISBLACK, 16, true, COMPRESSION_LZW},
                      TiffCase{PHOTOMETRIC_RGB, 8, false, COMPRESSION_LZW},
                      TiffCase{PHOTOMETRIC_RGB, 8, true, COMPRESSION_ADOBE_DEFLATE, true},
                      TiffCase{PHOTOMETRIC_RGB, 16, false, COMPRESSION_ADOBE_DEFLATE},
                      TiffCase{PHOTOMETRIC_RGB, 16, true, COMPRESSION_NONE, true},
                      TiffCase{PHOTOMETRIC_RGB, 8, false, COMPRESSION_JPEG},
                      TiffCase{PHOTOMETRIC_RGB, 8, true, COMPRESSION_JPEG, false, 48, 32}));

// A file cut inside its picture data opens with the rows before the cut and
// grey after it; cut before any row, it is refused as truncated.
TEST_F(DecodeTest, PngAndTiffCutShort) {
    const PngCase png{PNG_COLOR_TYPE_RGB, 8, false, 200, 100};
    WritePng(dir.File("a.png"), png);
    const Bytes pngBytes = ReadFile(dir.File("a.png"));
    const Bytes tiffBytes = DirectoryFirstTiff(200, 100, 10);
    for (const bool isPng : {true, false}) {
        const Bytes& whole = isPng ? pngBytes : tiffBytes;
        SCOPED_TRACE(isPng ? "png" : "tiff");
        const std::string path = dir.File("cut");
        Bytes cut(whole.begin(), whole.begin() + static_cast<long>(whole.size() / 2));
        WriteFile(path, cut);
        const DecodeResult r = DecodePicture(path);
        ASSERT_TRUE(r.Ok()) << r.reason;
        EXPECT_TRUE(r.damaged);
        EXPECT_NE(r.warning.find("troncato"), std::string::npos) << r.warning;
        EXPECT_EQ(r.raster.Row(99)[5], 0xFF808080u);
        EXPECT_EQ(r.raster.Row(0)[5], ExpectedPng(png, 5, 0));

        cut.resize(isPng ? 60 : 300);
        WriteFile(path, cut);
        const DecodeResult early = DecodePicture(path);
        EXPECT_EQ(early.status, DecodeStatus::Truncated) << early.reason;
    }
}

// Variants outside what the decoders read are refused with the reason.
TEST_F(DecodeTest, TiffVariantsRefused) {
    Bytes b = DirectoryFirstTiff(8, 4, 4);
    const std::size_t bitsAt = 8 + 2 + 9 * 12 + 4;
    b[bitsAt] = b[bitsAt + 2] = b[bitsAt + 4] = 32;
    WriteFile(dir.File("f.tif"), b);
    const DecodeResult r = DecodePicture(dir.File("f.tif"));
    EXPECT_EQ(r.status, DecodeStatus::Unsupported);
    EXPECT_NE(r.reason.find("32 bit"), std::string::npos) << r.reason;
}

}  // namespace
