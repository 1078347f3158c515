#include <gtest/gtest.h>

#include <cstring>

#include "platform/raster.h"

namespace {

Raster Grey(int w, int h) {
    Raster r;
    EXPECT_TRUE(r.Allocate(w, h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) r.Row(y)[x] = StoredPixel(0x404040);
    return r;
}

}  // namespace

TEST(RasterTest, ReadOutsideGivesInvalidAndWriteOutsideChangesNothing) {
    Raster r = Grey(4, 3);
    EXPECT_EQ(ReadPixel(ViewOf(r), 0, 0), 0x404040u);
    EXPECT_EQ(ReadPixel(ViewOf(r), 3, 2), 0x404040u);
    for (auto [x, y] : {std::pair{-1, 0}, {0, -1}, {4, 0}, {0, 3}}) {
        EXPECT_EQ(ReadPixel(ViewOf(r), x, y), kInvalidColor) << x << "," << y;
        WritePixel(r, x, y, 0xFF0000);
    }
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(r.Row(y)[x], 0xFF404040u);
    EXPECT_EQ(ReadPixel(RasterView{}, 0, 0), kInvalidColor);
}

// What a kernel reads outside the source and writes on must come out black,
// not white (the low bytes of the invalid value).
TEST(RasterTest, WritingAValueWithTheTopByteSetStoresBlack) {
    Raster r = Grey(2, 1);
    WritePixel(r, 0, 0, kInvalidColor);
    WritePixel(r, 1, 0, 0x01FFFFFF);
    EXPECT_EQ(ReadPixel(ViewOf(r), 0, 0), 0x000000u);
    EXPECT_EQ(ReadPixel(ViewOf(r), 1, 0), 0x000000u);
    EXPECT_EQ(r.Row(0)[0], 0xFF000000u);
    WritePixel(r, 1, 0, 0xFFFFFF);
    EXPECT_EQ(ReadPixel(ViewOf(r), 1, 0), 0xFFFFFFu);
}

TEST(RasterTest, ColourValueIsRedGreenBlueFromHighToLowAndStoredOpaque) {
    const uint32_t c = RgbColor(0x12, 0x34, 0x56);
    EXPECT_EQ(c, 0x123456u);
    EXPECT_EQ(RedOf(c), 0x12u);
    EXPECT_EQ(GreenOf(c), 0x34u);
    EXPECT_EQ(BlueOf(c), 0x56u);
    Raster r = Grey(1, 1);
    WritePixel(r, 0, 0, c);
    unsigned char bytes[4];
    std::memcpy(bytes, r.Data(), 4);
    // A 32-bit bitmap pixel in memory: blue, green, red, then the opaque byte.
    EXPECT_EQ(bytes[0], 0x56);
    EXPECT_EQ(bytes[1], 0x34);
    EXPECT_EQ(bytes[2], 0x12);
    EXPECT_EQ(bytes[3], 0xFF);
}

TEST(RasterTest, ViewRowsFollowTheStride) {
    uint32_t pixels[2 * 3] = {1, 2, 3, 4, 5, 6};
    const RasterView v{pixels, 2, 2, 3};  // rows of 3, the last of each unused
    EXPECT_EQ(ReadPixel(v, 1, 1), 5u);
    EXPECT_EQ(ReadPixel(v, 2, 0), kInvalidColor);
}
