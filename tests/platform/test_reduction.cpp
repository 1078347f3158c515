#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "platform/reduction.h"

namespace {

// Pixel noise over brick joints and stripes of 2 to 11 pixels.
Raster Texture(int w, int h, unsigned seed) {
    Raster r;
    r.Allocate(w, h);
    std::mt19937 gen(seed);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int noise = int(gen() % 64) - 32;
            const int joint = (y % 7 == 0 || (x + (y / 7) % 2 * 6) % 11 == 0) ? -70 : 0;
            const int red = std::clamp(150 + joint + noise + (x % 2) * 30, 0, 255);
            const int green = std::clamp(110 + joint + noise / 2 + ((x + y) % 3) * 20, 0, 255);
            const int blue = std::clamp(90 + joint + ((x ^ y) & 3) * 15, 0, 255);
            r.Row(y)[x] = 0xFF000000u | RgbColor(red, green, blue);
        }
    return r;
}

// The exact mean of the picture square screen pixel (i, j) covers at zoom z,
// channel `shift`.
double ExactMean(const RasterView& v, Zoom z, int i, int j, int shift) {
    const double step = double(z.den) / z.num;
    double sum = 0;
    for (int y = int(j * step); y < std::ceil((j + 1) * step); ++y)
        for (int x = int(i * step); x < std::ceil((i + 1) * step); ++x) {
            const double wx = std::min(x + 1.0, (i + 1) * step) - std::max<double>(x, i * step);
            const double wy = std::min(y + 1.0, (j + 1) * step) - std::max<double>(y, j * step);
            sum += wx * wy * ((v.Row(y)[x] >> shift) & 255);
        }
    return sum / (step * step);
}

}  // namespace

// Whole zooms reduce exactly (within rounding); fractional ones stay above
// 40 dB of peak signal to noise on a fine texture.
TEST(AreaMean, MatchesTheExactBoxFilterAtEveryReduction) {
    const Raster picture = Texture(1003, 701, 7);
    const RasterView view = ViewOf(picture);
    ReducedCopies copies;
    ASSERT_TRUE(copies.Build(view));
    EXPECT_LE(copies.Bytes(), std::size_t(1003) * 701 * 4 / 3);
    for (const Zoom z : {Zoom{1, 2}, Zoom{1, 4}, Zoom{2, 3}, Zoom{1, 6}, Zoom{137, 1003}}) {
        const int w = ZoomedLength(1003, z) - 1, h = ZoomedLength(701, z) - 1;
        std::vector<uint32_t> out(std::size_t(w) * h);
        RenderZoomed(view, &copies, z, 0, 0, w, h, out.data(), w);
        double sq = 0, worst = 0;
        for (int j = 0; j < h; ++j)
            for (int i = 0; i < w; ++i)
                for (int shift : {0, 8, 16}) {
                    const double d =
                        ((out[j * w + i] >> shift) & 255) - ExactMean(view, z, i, j, shift);
                    sq += d * d;
                    worst = std::max(worst, std::abs(d));
                }
        const double db = 10 * std::log10(255.0 * 255 / (sq / (3.0 * w * h)));
        EXPECT_GE(db, 40) << z.num << "/" << z.den;
        if (z.num == 1 && (z.den == 2 || z.den == 4)) {
            EXPECT_LE(worst, 1.0) << z.den;
        }
    }
}

TEST(AreaMean, UpdatedCopiesEqualCopiesBuiltAfresh) {
    Raster picture = Texture(300, 200, 3);
    ReducedCopies copies, fresh;
    ASSERT_TRUE(copies.Build(ViewOf(picture)));
    for (int y = 70; y < 90; ++y)
        for (int x = 131; x < 170; ++x) picture.Row(y)[x] = 0xFFFFFFFFu;
    copies.Update(ViewOf(picture), 131, 70, 39, 20);
    ASSERT_TRUE(fresh.Build(ViewOf(picture)));
    ASSERT_EQ(copies.Count(), fresh.Count());
    for (int k = 1; k <= copies.Count(); ++k) {
        const RasterView a = copies.Copy(k), b = fresh.Copy(k);
        for (int y = 0; y < a.height; ++y)
            for (int x = 0; x < a.width; ++x) ASSERT_EQ(a.Row(y)[x], b.Row(y)[x]) << k;
    }
}
