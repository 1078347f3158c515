// Opening pictures whatever their kind: the choice of decoder, files that
// cannot be read or are damaged at random, the size limits, and the navigator
// thumbnail.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <iterator>
#include <random>
#include <stdexcept>
#include <string>

#include "platform/raster.h"
#include "tests/view/picture_writers.h"
#include "view/u_decodifica.h"

namespace {

using namespace test_pictures;

namespace fs = std::filesystem;

TEST(PictureKindTest, ChosenBySignature) {
    const auto kind = [](std::initializer_list<unsigned char> head) {
        return PictureKindOf(std::data(head), head.size());
    };
    EXPECT_EQ(kind({0xFF, 0xD8, 0xFF}), PictureKind::Jpeg);
    EXPECT_EQ(kind({'B', 'M', 0}), PictureKind::Bmp);
    EXPECT_EQ(kind({0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}), PictureKind::Png);
    EXPECT_EQ(kind({0x89, 'P', 'N', 'G', '\r', '\n', 0x1A}), PictureKind::Unknown);
    EXPECT_EQ(kind({'I', 'I', 42, 0}), PictureKind::Tiff);
    EXPECT_EQ(kind({'M', 'M', 0, 42}), PictureKind::Tiff);
    EXPECT_EQ(kind({'I', 'I', 43, 0}), PictureKind::Tiff);  // BigTIFF
    EXPECT_EQ(kind({'I', 'I', 44, 0}), PictureKind::Unknown);
    EXPECT_EQ(kind({0xFF}), PictureKind::Unknown);
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
