#include <gtest/gtest.h>

#include "analytic/u_proiettiva.h"
#include "platform/igrid.h"

namespace {

TEST(Projective, IdentityLeavesPointsWhereTheyAre) {
    const Projective t = Projective::Identity();
    const PlanePoint q = t.Apply(3.25L, -1e6L).value();
    EXPECT_EQ(q.x, 3.25L);
    EXPECT_EQ(q.y, -1e6L);
    EXPECT_EQ(t.Denominator(3.25L, -1e6L), 1);
}

// X = (2x + 1) / (x/2 + 1), Y = (3y - 1) / (x/2 + 1), also read back from the
// texts of a parameters grid (column 1, rows 1 .. 8).
TEST(Projective, KnownHomographyAtFourPoints) {
    GridCells grid(3, 9);
    const char* texts[8] = {"2", "0", "0", "3", "1", "-1", "0.5", "0"};
    for (int i = 0; i < 8; ++i) grid.SetCell(1, i + 1, texts[i]);
    const Projective direct{{2, 0, 0, 3, 1, -1, 0.5L, 0}};
    const Projective read = Projective::FromGrid(grid);
    EXPECT_EQ(read.p, direct.p);
    const long double cases[4][4] = {
        {0, 0, 1, -1}, {2, 0, 2.5L, -0.5L}, {0, 1, 1, 2}, {2, 2, 2.5L, 2.5L}};
    for (const auto& c : cases) {
        const PlanePoint q = read.Apply(c[0], c[1]).value();
        EXPECT_EQ(q.x, c[2]) << c[0] << ", " << c[1];
        EXPECT_EQ(q.y, c[3]) << c[0] << ", " << c[1];
    }
    EXPECT_EQ(read.Denominator(2, 7), 2);
}

TEST(Projective, ZeroDenominatorGivesNoPoint) {
    const Projective t{{2, 0, 0, 3, 1, -1, 0.5L, 0}};
    EXPECT_EQ(t.Denominator(-2, 5), 0);
    EXPECT_FALSE(t.Apply(-2, 5).has_value());
    EXPECT_TRUE(t.Apply(-2.5L, 5).has_value());  // on the far side of the line: a point
}

// W = |X2 - X1| / s * fx, H = |Y2 - Y1| / s * fy, each rounded half to even.
TEST(Projective, OutputSizeRoundsHalfToEvenInEitherOrder) {
    struct Case {
        long double x1, y1, x2, y2, s, fx, fy;
        long long w, h;
    };
    const Case cases[] = {
        {0, 0, 2.5L, 3.5L, 1, 1, 1, 2, 4},        // ties to even
        {2.5L, 3.5L, 0, 0, 1, 1, 1, 2, 4},        // limits reversed
        {10, 20, 30, 25, 0.5L, 1, 1, 40, 10},     // pixel size
        {10, 20, 30, 25, 0.5L, 2, 0.25L, 80, 2},  // axis factors: 2.5 rounds to 2
        {0, 0, 1e12L, 1, 1e-3L, 1, 1, -1, 1000},  // beyond the largest side
    };
    for (const Case& c : cases) {
        const OutputSize o = ComputeOutputSize(c.x1, c.y1, c.x2, c.y2, c.s, c.fx, c.fy);
        EXPECT_EQ(o.W, c.w) << c.x1 << " .. " << c.x2;
        EXPECT_EQ(o.H, c.h) << c.y1 << " .. " << c.y2;
    }
}

}  // namespace
