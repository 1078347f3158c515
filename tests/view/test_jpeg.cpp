// Opening JPEG pictures: every colour kind libjpeg writes, progressive files, a
// truncated tail, bad files and a large camera picture.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/view/picture_writers.h"
#include "view/u_decodifica.h"

namespace {

using namespace test_pictures;

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
    cases.push_back({"png header cut",
                     Bytes{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13},
                     DecodeStatus::Truncated});
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

}  // namespace
