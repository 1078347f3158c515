// Vanishing points, the reference square and its transformations, and the
// extent of the resampling area.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "geometric/u_geometrico.h"
#include "tables/u_omnia.h"
#include "tables/u_stringhe.h"

namespace {

struct SinkRecorder {
    std::vector<std::string> texts;
    SinkRecorder() {
        SetMatrixErrorSink([this](const std::string& t) { texts.push_back(t); });
    }
    ~SinkRecorder() { SetMatrixErrorSink({}); }
};

LineFamily FamilyOf(std::initializer_list<ImageLine> lines) {
    LineFamily f;
    for (const ImageLine& l : lines) f.Lines[f.Count++] = l;
    EquationsFromLines(f);
    return f;
}

double D(long double v) { return static_cast<double>(v); }

// P1 (100, 400), P2 (300, 400), P3 (300, 200), P4 (100, 200): a square seen
// frontally, rows growing downwards.
ReferenceSquare FrontalSquare() {
    return {{{0, 0, 100, 400}, {10, 0, 300, 400}, {10, 10, 300, 200}, {0, 10, 100, 200}}};
}

}  // namespace

TEST(VanishingPoints, TwoLinesMeetInTheirIntersection) {
    LineFamily f = FamilyOf({{100, 400, 110, 100}, {300, 400, 290, 100}});
    EXPECT_EQ(f.Equation(1).a, -300);
    EXPECT_EQ(f.Equation(1).b, -10);
    EXPECT_EQ(f.Equation(1).c, 34000);
    EXPECT_EQ(f.Equation(2).c, 86000);
    const std::optional<PlanePoint> vp = FitVanishingPoint(f);
    ASSERT_TRUE(vp);
    EXPECT_EQ(FormatFixed(vp->x, 10, 3), "200.000");
    EXPECT_EQ(FormatFixed(vp->y, 10, 3), "-2600.000");
}

TEST(VanishingPoints, AFamilyParallelInTheImageHasNone) {
    SinkRecorder sink;
    EXPECT_FALSE(FitVanishingPoint(FamilyOf({{100, 400, 100, 100}, {300, 400, 300, 50}})));
    EXPECT_FALSE(FitVanishingPoint(FamilyOf({{0, 0, 10, 300}, {100, 0, 120, 600}})));
    ASSERT_FALSE(sink.texts.empty());
    EXPECT_EQ(sink.texts[0], MatrixErrorText);
}

TEST(VanishingPoints, OnlyCompleteLinesAreRead) {
    GridCells g(5, 20);
    for (int r = 1; r <= 12; ++r)
        for (int c = 0; c <= 4; ++c) g.SetCell(c, r, std::to_string(r * 10 + c));
    EXPECT_EQ(CountCompleteLines(g), MaxLinesPerFamily);
    g.SetCell(3, 3, "");
    g.SetCell(4, 3, "");  // line 3 has only its first end
    EXPECT_EQ(CountCompleteLines(g), 2);
    const LineFamily f = ReadLineFamily(g);
    ASSERT_EQ(f.Count, 2);
    EXPECT_EQ(f.Line(2).x2, 23);
    EXPECT_EQ(f.Equation(2).a, f.Line(2).y2 - f.Line(2).y1);
}

TEST(ReferenceSquare, IntersectLinesBothBranchesAndParallels) {
    // a2 != 0: x = 100 meets y = 50.
    auto p = IntersectLines({1, 0, -100}, {0, 1, -50});
    ASSERT_TRUE(p);
    EXPECT_EQ(p->x, 100);
    EXPECT_EQ(p->y, 50);
    p = IntersectLines({0, 2, -100}, {3, -1, 0});  // a2 = 0: E2 is a row of the image
    ASSERT_TRUE(p);
    EXPECT_NEAR(D(p->x), 50.0 / 3, 1e-15);
    EXPECT_FALSE(IntersectLines({0, 2, -100}, {0, 1, 7}));
    EXPECT_FALSE(IntersectLines({3, 6, 1}, {1, 2, 5}));
    EXPECT_FALSE(IntersectLines({0, 0, 1}, {1, 0, 5}));
}

TEST(ReferenceSquare, LowestHorizontalAndLeftmostVertical) {
    // Column x = 100 through the middle of line 1: line 2 crosses it at row
    // 300, line 3 too (a tie keeps line 2), line 4 (same-row ends) at 250.
    LineFamily h = FamilyOf(
        {{0, 100, 200, 100}, {0, 290, 200, 310}, {50, 300, 150, 300}, {10, 250, 400, 250}});
    EXPECT_EQ(LowestHorizontal(h), 2);
    h.Lines[3] = {10, 350, 400, 350};
    EquationsFromLines(h);
    EXPECT_EQ(LowestHorizontal(h), 4);
    // Row y = 200 through the middle of line 1; line 3 is leftmost there.
    LineFamily v = FamilyOf({{300, 100, 300, 300}, {200, 0, 220, 400}, {150, 100, 160, 300}});
    EXPECT_EQ(LeftmostVertical(v), 3);

    int failed = 0;
    h.Lines[2] = {120, 0, 120, 500};  // a "horizontal" line that is vertical in the image
    EquationsFromLines(h);
    EXPECT_FALSE(LowestHorizontal(h, &failed));
    EXPECT_EQ(failed, 3);
    v.Lines[1] = {0, 50, 400, 50};
    EquationsFromLines(v);
    EXPECT_FALSE(LeftmostVertical(v, &failed));
    EXPECT_EQ(failed, 2);
}

TEST(ReferenceSquare, FrontalSquareParametersAndASingularOne) {
    const std::optional<Projective> direct = SolveDirectGeometric(FrontalSquare());
    ASSERT_TRUE(direct);
    const long double expected[8] = {20, 0, 0, -20, 100, 400, 0, 0};
    for (int i = 0; i < 8; ++i) EXPECT_NEAR(D(direct->p[i]), D(expected[i]), 1e-12) << i;
    EXPECT_EQ(FormatFixed(direct->p[0], 14, 5), "20.00000");

    const std::optional<Projective> inverse = SolveInverseGeometric(FrontalSquare());
    ASSERT_TRUE(inverse);
    const long double inv[8] = {0.05L, 0, 0, -0.05L, -5, 20, 0, 0};
    for (int i = 0; i < 8; ++i) EXPECT_NEAR(D(inverse->p[i]), D(inv[i]), 1e-15) << i;
    const std::optional<PlanePoint> mid = ImageToReference(FrontalSquare(), 200, 300);
    ASSERT_TRUE(mid);
    EXPECT_NEAR(D(mid->x), 5, 1e-15);
    EXPECT_NEAR(D(mid->y), 5, 1e-15);

    SinkRecorder sink;
    ReferenceSquare s = FrontalSquare();
    s[2] = s[1];  // two corners on one pixel
    EXPECT_FALSE(SolveDirectGeometric(s));
    EXPECT_FALSE(ImageToReference(s, 200, 300));
    EXPECT_FALSE(sink.texts.empty());
}

TEST(AreaExtent, GeometricCornersInAnyOrder) {
    AreaCorners c{{100, 300, 300, 100}, {200, 200, 400, 400}};
    std::optional<AreaExtent> e = GeometricAreaExtent(FrontalSquare(), c);
    ASSERT_TRUE(e);
    EXPECT_EQ(FormatFixed(e->Xin, 10, 3), "0.000");
    EXPECT_EQ(FormatFixed(e->Yin, 10, 3), "10.000");
    EXPECT_EQ(FormatFixed(e->Xfin, 10, 3), "10.000");
    EXPECT_EQ(FormatFixed(e->Yfin, 10, 3), "0.000");
    c = AreaCorners{{300, 100, 100, 300}, {400, 200, 400, 200}};
    e = GeometricAreaExtent(FrontalSquare(), c);
    ASSERT_TRUE(e);
    EXPECT_EQ(FormatFixed(e->Yin, 10, 3), "10.000");
}

TEST(AreaExtent, AnalyticEstimatesWithTheUpwardOrdinate) {
    // Object X = x / 100, Y = (height - row) / 100 on a 480-row picture: only
    // the upward ordinate gives this transformation a fit without residuals.
    GridCells uni(6, 500), res(7, 500), par(3, 9);
    const int pts[5][2] = {{10, 20}, {600, 30}, {620, 460}, {15, 470}, {300, 250}};
    for (int k = 0; k < 5; ++k) {
        const int x = pts[k][0], y = pts[k][1];
        uni.SetCell(0, k + 1, std::to_string(k + 1));
        uni.SetCell(1, k + 1, std::to_string(x));
        uni.SetCell(2, k + 1, std::to_string(y));
        uni.SetCell(3, k + 1, FormatFixed(x / 100.0L, 10, 4));
        uni.SetCell(4, k + 1, FormatFixed((480 - y) / 100.0L, 10, 4));
    }
    uni.SetCell(5, 5, "*");
    for (int r = 1; r <= 6; ++r) res.SetCell(1, r, "old");  // an earlier, longer table
    // Corners at rows 0 and 480 stored as AnalyticY 480 and 0.
    const AnalyticExtentOutcome o =
        AnalyticAreaExtent(uni, res, par, 480, {{0, 640, 640, 0}, {480, 480, 0, 0}});
    ASSERT_EQ(o.status, EstimationStatus::Ok);
    EXPECT_NEAR(D(o.extent.Xin), 0, 1e-9);
    EXPECT_NEAR(D(o.extent.Yin), 4.8, 1e-9);
    EXPECT_NEAR(D(o.extent.Xfin), 6.4, 1e-9);
    EXPECT_NEAR(D(o.extent.Yfin), 0, 1e-9);
    EXPECT_EQ(CountPoints(res), 4);
    EXPECT_EQ(par.Cell(0, 8), "8");
    EXPECT_FALSE(o.unitVarianceText.empty());

    uni.SetCell(5, 4, "*");  // three points left: no estimation, empty tables
    EXPECT_EQ(AnalyticAreaExtent(uni, res, par, 480, {}).status, EstimationStatus::TooFewPoints);
    EXPECT_EQ(CountPoints(par), 0);
}
