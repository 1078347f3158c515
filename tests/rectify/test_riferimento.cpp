// The rectified picture's frame: the readout's pixel-to-object map and the
// marks' object-to-pixel map.
#include <gtest/gtest.h>

#include "rectify/u_riferimento.h"

TEST(RectifiedFrame, MarksRoundHalvesToEvenFromTheLowerLeftCorner) {
    const RectifiedFrame analytic = AnalyticRectifiedFrame(100, 450, 200, 0.5L, 500);
    const RectifiedFrame geometric = GeometricRectifiedFrame(0.005L, 300);
    struct Case {
        RectifiedFrame frame;
        long double x, y;
        int column, row;
    };
    const Case cases[] = {
        {analytic, 101.25L, 201.75L, 2, 496},  // 2.5 -> 2, 3.5 -> 4
        {analytic, 98.75L, 198.25L, 2, 496},   // left of and below: mirrored
        {geometric, 2.5L, 1.0L, 500, 100},
    };
    for (const Case& k : cases) {
        const auto p = k.frame.ToPixel(k.x, k.y);
        ASSERT_TRUE(p.has_value());
        EXPECT_EQ(p->column, k.column);
        EXPECT_EQ(p->row, k.row);
    }
    EXPECT_FALSE(GeometricRectifiedFrame(0, 10).ToPixel(1, 1).has_value());
    EXPECT_FALSE(geometric.ToPixel(1e7L, 1).has_value());
}

// Where the area's height is a whole number of pixels, a pixel's object
// point is marked on that very pixel, in both methods.
TEST(RectifiedFrame, PixelToObjectAndBackIsTheSamePixel) {
    const RectifiedFrame frames[] = {
        AnalyticRectifiedFrame(100, 250, 200, 0.25L, 200),
        AnalyticRectifiedFrame(-1.5L, 7.5L, -0.5L, 0.125L, 64),
        GeometricRectifiedFrame(0.0625L, 300),
    };
    for (const RectifiedFrame& frame : frames)
        for (const auto& [x, y] : {std::pair{0, 0}, {3, 17}, {40, frame.height - 1}}) {
            const PlanePoint o = frame.ToObject(x, y);
            const auto p = frame.ToPixel(o.x, o.y);
            ASSERT_TRUE(p.has_value());
            EXPECT_EQ(p->column, x);
            EXPECT_EQ(p->row, y);
        }
    // The readout: pixel (0, 0) at the area's upper-left corner, or H s up.
    EXPECT_EQ(frames[0].ToObject(2, 4).x, 100.5L);
    EXPECT_EQ(frames[0].ToObject(2, 4).y, 249.0L);
    EXPECT_EQ(frames[2].ToObject(16, 0).x, 1.0L);
    EXPECT_EQ(frames[2].ToObject(16, 0).y, 18.75L);
}
