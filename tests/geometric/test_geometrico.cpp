// Vanishing points, the reference square and its transformations, and the
// extent of the resampling area.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
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

TEST(VanishingPoints, ThreeLinesMinimiseTheUnnormalisedResiduals) {
    // Lines that do not meet in one point: the fit weighs each equation as
    // written, so it must satisfy the normal equations of (a, b | -c).
    LineFamily f = FamilyOf({{0, 0, 100, 10}, {0, 50, 100, 55}, {0, 200, 30, 180}});
    const std::optional<PlanePoint> p = FitVanishingPoint(f);
    ASSERT_TRUE(p);
    long double gx = 0, gy = 0;
    for (int i = 1; i <= 3; ++i) {
        const LineEquation& e = f.Equation(i);
        const long double r = e.a * p->x + e.b * p->y + e.c;
        gx += e.a * r;
        gy += e.b * r;
    }
    EXPECT_NEAR(D(gx), 0, 1e-6);
    EXPECT_NEAR(D(gy), 0, 1e-6);
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
    // a2 = 0: E2 is a row of the image.
    p = IntersectLines({0, 2, -100}, {3, -1, 0});
    ASSERT_TRUE(p);
    EXPECT_EQ(p->y, 50);
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

TEST(ReferenceSquare, FrontalSquareParameters) {
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
}

TEST(ReferenceSquare, CoincidentCornersAreSingular) {
    SinkRecorder sink;
    ReferenceSquare s = FrontalSquare();
    s[2].x = s[1].x;
    s[2].y = s[1].y;
    EXPECT_FALSE(SolveDirectGeometric(s));
    EXPECT_FALSE(ImageToReference(s, 200, 300));
    EXPECT_FALSE(sink.texts.empty());
}

// A perspective view: object (X right, Y up, metres) -> image pixels.
struct View {
    long double h[9] = {52, 9, 310, -4, -61, 820, 0.021L, -0.013L, 1};
    PlanePoint operator()(long double X, long double Y) const {
        const long double w = h[6] * X + h[7] * Y + h[8];
        return {(h[0] * X + h[1] * Y + h[2]) / w, (h[3] * X + h[4] * Y + h[5]) / w};
    }
    PlanePoint Vanishing(long double dX, long double dY) const {
        const long double w = h[6] * dX + h[7] * dY;
        return {(h[0] * dX + h[1] * dY) / w, (h[3] * dX + h[4] * dY) / w};
    }
};

TEST(ReferenceSquare, PerspectiveSquareIsAnAxisScalingOfTheObject) {
    const View view;
    // Horizontal lines Y = 1, 0.2, 3 (the lowest is Y = 0.2), vertical lines
    // X = 2, 0.5 (the leftmost), 4; ends at X = 0 .. 6 and Y = 0 .. 5.
    auto line = [&](PlanePoint a, PlanePoint b) { return ImageLine{a.x, a.y, b.x, b.y}; };
    LineFamily h, v;
    for (long double Y : {1.0L, 0.2L, 3.0L}) h.Lines[h.Count++] = line(view(0, Y), view(6, Y));
    for (long double X : {2.0L, 0.5L, 4.0L}) v.Lines[v.Count++] = line(view(X, 0), view(X, 5));
    EquationsFromLines(h);
    EquationsFromLines(v);
    const std::optional<PlanePoint> hv = FitVanishingPoint(h), vv = FitVanishingPoint(v);
    ASSERT_TRUE(hv && vv);
    EXPECT_NEAR(D(hv->x), D(view.Vanishing(1, 0).x), 1e-9);
    EXPECT_NEAR(D(vv->y), D(view.Vanishing(0, 1).y), 1e-9);

    const SquareOutcome sq = BuildReferenceSquare(h, v, *vv, *hv);
    ASSERT_EQ(sq.fault, SquareFault::None);
    EXPECT_EQ(sq.first, 2);
    EXPECT_EQ(sq.second, 2);
    // The square spans X 0.5 .. 6 and Y 0.2 .. 5 of the object.
    for (long double X : {0.5L, 1.7L, 6.0L}) {
        for (long double Y : {0.2L, 2.9L, 5.0L}) {
            const std::optional<Projective> inverse = SolveInverseGeometric(sq.square);
            ASSERT_TRUE(inverse);
            const PlanePoint px = view(X, Y);
            const std::optional<PlanePoint> r = inverse->Apply(px.x, px.y);
            ASSERT_TRUE(r);
            EXPECT_NEAR(D(r->x), D((X - 0.5L) * 10 / 5.5L), 1e-9);
            EXPECT_NEAR(D(r->y), D((Y - 0.2L) * 10 / 4.8L), 1e-9);
        }
    }
}

TEST(ReferenceSquare, ParallelChosenLinesAreNamed) {
    const PlanePoint far{1e3, -1e4};
    LineFamily h = FamilyOf({{0, 100, 200, 110}});
    LineFamily v = FamilyOf({{0, 300, 400, 320}});  // parallel to h in the image
    SquareOutcome sq = BuildReferenceSquare(h, v, far, far);
    EXPECT_EQ(sq.fault, SquareFault::CornerLinesParallel);
    EXPECT_EQ(sq.first, 1);
    EXPECT_EQ(sq.second, 1);
    h = FamilyOf({{100, 0, 100, 300}});
    EXPECT_EQ(BuildReferenceSquare(h, v, far, far).fault, SquareFault::HorizontalAlongColumn);
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
