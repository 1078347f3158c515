#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "analytic/u_analitico.h"
#include "platform/igrid.h"
#include "tables/u_omnia.h"
#include "tables/u_stringhe.h"

namespace {

using Params = std::array<long double, 8>;

// Direct model of an oblique view of a facade: pixels (0..4000 x 0..3000,
// rows downwards) to metres (about 20 x 15).
constexpr Params kDirect = {0.005L, 0.0004L, -0.0003L, 0.0045L, 1.5L, -2.0L, 2e-5L, -1e-5L};

// Parameters of the inverse map: the adjugate of the 3 x 3 matrix, scaled so
// that its last element is 1.
Params InverseOf(const Params& p) {
    const long double a = p[0], b = p[2], c = p[4], d = p[1], e = p[3], f = p[5], g = p[6],
                      h = p[7], i = 1;
    const long double s = a * e - b * d;
    return {(e * i - f * h) / s, (f * g - d * i) / s, (c * h - b * i) / s, (a * i - c * g) / s,
            (b * f - c * e) / s, (c * d - a * f) / s, (d * h - e * g) / s, (b * g - a * h) / s};
}

void Apply(const Params& p, long double x, long double y, long double& X, long double& Y) {
    const long double den = p[6] * x + p[7] * y + 1;
    X = (p[0] * x + p[2] * y + p[4]) / den;
    Y = (p[1] * x + p[3] * y + p[5]) / den;
}

// n control points: four near the corners of the photo when n = 4, seeded
// uniform positions otherwise; object coordinates exact, then noise if asked.
std::unique_ptr<ControlPointList> MakePoints(int n, double pixelNoise = 0, double metreNoise = 0,
                                             unsigned seed = 7) {
    auto list = std::make_unique<ControlPointList>();
    std::mt19937_64 gen(seed);
    std::uniform_real_distribution<double> ux(0, 4000), uy(0, 3000);
    std::normal_distribution<double> npx(0, pixelNoise > 0 ? pixelNoise : 1);
    std::normal_distribution<double> nm(0, metreNoise > 0 ? metreNoise : 1);
    const long double corners[4][2] = {{200, 150}, {3800, 300}, {3600, 2800}, {400, 2700}};
    for (int k = 0; k < n; ++k) {
        ControlPoint& pt = (*list)[k];
        pt.Name = "P" + std::to_string(k + 1);
        pt.x = n == 4 ? corners[k][0] : ux(gen);
        pt.y = n == 4 ? corners[k][1] : uy(gen);
        Apply(kDirect, pt.x, pt.y, pt.X, pt.Y);
        if (pixelNoise > 0) {
            pt.x += npx(gen);
            pt.y += npx(gen);
        }
        if (metreNoise > 0) {
            pt.X += nm(gen);
            pt.Y += nm(gen);
        }
    }
    return list;
}

std::unique_ptr<ControlPointList> Swapped(const ControlPointList& list) {
    auto s = std::make_unique<ControlPointList>();
    SwapPointRoles(list, *s);
    return s;
}

// Worst error of the estimate over the eight parameters, relative to the
// true value, or absolute for a parameter below 1e-5 in magnitude.
struct ParamError {
    long double worstRelative = 0;
    long double worstAbsoluteNearZero = 0;
};
ParamError Compare(const Matrix& x, const Params& truth) {
    ParamError e;
    for (int i = 0; i < 8; ++i) {
        const long double d = std::fabs(x.Cell[i + 1][1] - truth[i]);
        if (std::fabs(truth[i]) < 1e-5L)
            e.worstAbsoluteNearZero = std::max(e.worstAbsoluteNearZero, d);
        else
            e.worstRelative = std::max(e.worstRelative, d / std::fabs(truth[i]));
    }
    return e;
}

// An independent solution of the same least-squares problem: Householder QR
// of the design matrix, in long double, with the leverages for the residual
// variances.
struct Reference {
    Params p{};
    std::vector<long double> v, R;
    long double s2 = 0;
    Params varP{};
};

Reference SolveByQr(const ControlPointList& list, int n) {
    const int m = 2 * n;
    std::vector<std::array<long double, 8>> A(m), W;
    std::vector<long double> l(m), b;
    for (int k = 0; k < n; ++k) {
        const ControlPoint& q = list[k];
        A[2 * k] = {q.x, 0, q.y, 0, 1, 0, -q.x * q.X, -q.y * q.X};
        A[2 * k + 1] = {0, q.x, 0, q.y, 0, 1, -q.x * q.Y, -q.y * q.Y};
        l[2 * k] = q.X;
        l[2 * k + 1] = q.Y;
    }
    W = A;
    b = l;
    for (int j = 0; j < 8; ++j) {
        long double norm = 0;
        for (int i = j; i < m; ++i) norm += W[i][j] * W[i][j];
        norm = std::sqrt(norm);
        const long double alpha = W[j][j] > 0 ? -norm : norm;
        std::vector<long double> u(m, 0);
        for (int i = j; i < m; ++i) u[i] = W[i][j];
        u[j] -= alpha;
        long double uu = 0;
        for (int i = j; i < m; ++i) uu += u[i] * u[i];
        if (uu == 0) continue;
        for (int c = j; c < 8; ++c) {
            long double dot = 0;
            for (int i = j; i < m; ++i) dot += u[i] * W[i][c];
            for (int i = j; i < m; ++i) W[i][c] -= 2 * dot / uu * u[i];
        }
        long double dot = 0;
        for (int i = j; i < m; ++i) dot += u[i] * b[i];
        for (int i = j; i < m; ++i) b[i] -= 2 * dot / uu * u[i];
    }
    Reference r;
    for (int i = 7; i >= 0; --i) {
        long double s = b[i];
        for (int j = i + 1; j < 8; ++j) s -= W[i][j] * r.p[j];
        r.p[i] = s / W[i][i];
    }
    // Rinv, upper triangular: (A'A)^-1 = Rinv Rinv'.
    long double Rinv[8][8] = {};
    for (int c = 0; c < 8; ++c) {
        Rinv[c][c] = 1 / W[c][c];
        for (int i = c - 1; i >= 0; --i) {
            long double s = 0;
            for (int j = i + 1; j <= c; ++j) s += W[i][j] * Rinv[j][c];
            Rinv[i][c] = -s / W[i][i];
        }
    }
    r.v.resize(m);
    long double ss = 0;
    for (int i = 0; i < m; ++i) {
        long double s = 0;
        for (int j = 0; j < 8; ++j) s += A[i][j] * r.p[j];
        r.v[i] = s - l[i];
        ss += r.v[i] * r.v[i];
    }
    r.s2 = m > 8 ? ss / (m - 8) : 0;
    if (r.s2 < 1e-20L) r.s2 = 0;
    for (int i = 0; i < 8; ++i) {
        long double s = 0;
        for (int k = 0; k < 8; ++k) s += Rinv[i][k] * Rinv[i][k];
        r.varP[i] = r.s2 * s;
    }
    r.R.resize(m);
    for (int i = 0; i < m; ++i) {
        long double h = 0;  // leverage: squared norm of row i of A Rinv
        for (int k = 0; k < 8; ++k) {
            long double q = 0;
            for (int j = 0; j <= k; ++j) q += A[i][j] * Rinv[j][k];
            h += q * q;
        }
        const long double sv = r.s2 * (1 - h);
        r.R[i] = sv != 0 ? r.v[i] / std::sqrt(sv) : 0;
    }
    return r;
}

long double MaxAbs(const std::vector<long double>& v) {
    long double m = 0;
    for (long double x : v) m = std::max(m, std::fabs(x));
    return m;
}

class ExactRecovery : public ::testing::TestWithParam<int> {};

TEST_P(ExactRecovery, BothDirections) {
    const int n = GetParam();
    const auto direct = MakePoints(n);
    const auto inverse = Swapped(*direct);
    const Params truths[2] = {kDirect, InverseOf(kDirect)};
    const ControlPointList* lists[2] = {direct.get(), inverse.get()};
    for (int dir = 0; dir < 2; ++dir) {
        SCOPED_TRACE(dir == 0 ? "direct" : "inverse");
        auto e = std::make_unique<ProjectiveEstimation>();
        ASSERT_EQ(EstimateProjective(*lists[dir], *e), EstimationStatus::Ok);
        const ParamError err = Compare(e->result.x, truths[dir]);
        std::printf(
            "[ measure  ] exact %s n=%d: worst relative %.3Lg, near-zero absolute %.3Lg, "
            "variance inflation %.3Lg\n",
            dir == 0 ? "direct " : "inverse", n, err.worstRelative, err.worstAbsoluteNearZero,
            WorstVarianceInflation(e->A, e->result.Ninv));
        EXPECT_LT(err.worstRelative, 1e-7L);
        EXPECT_LT(err.worstAbsoluteNearZero, 1e-12L);
        // Exact data leave nothing for the unit variance: it is 0, and with it
        // every parameter variance and standardised residual.
        EXPECT_EQ(e->result.sigma0Squared, 0);
        for (int i = 1; i <= 8; ++i) EXPECT_EQ(e->result.SigmaX.Cell[i][i], 0);
        for (int i = 1; i <= 2 * n; ++i) ASSERT_EQ(e->result.R.Cell[i][1], 0);
        EXPECT_EQ(e->result.x.Rows, 8);
        EXPECT_EQ(e->A.Name, "A");
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, ExactRecovery, ::testing::Values(4, 8, 64, 150));

class AgainstQr : public ::testing::TestWithParam<int> {};

TEST_P(AgainstQr, NoisyDataBothDirections) {
    const int n = GetParam();
    const auto direct = MakePoints(n, 0.5, 0.005, 100 + n);
    const auto inverse = Swapped(*direct);
    const ControlPointList* lists[2] = {direct.get(), inverse.get()};
    constexpr long double tol = 1e-7L;
    for (int dir = 0; dir < 2; ++dir) {
        SCOPED_TRACE(dir == 0 ? "direct" : "inverse");
        auto e = std::make_unique<ProjectiveEstimation>();
        ASSERT_EQ(EstimateProjective(*lists[dir], *e), EstimationStatus::Ok);
        const LeastSquaresSolution& s = e->result;
        const Reference ref = SolveByQr(*lists[dir], n);

        const ParamError err = Compare(s.x, ref.p);
        EXPECT_LT(err.worstRelative, tol);
        EXPECT_LT(err.worstAbsoluteNearZero, 1e-12L);
        long double worstVar = 0;
        for (int i = 0; i < 8; ++i) {
            if (ref.varP[i] == 0) {
                EXPECT_EQ(s.SigmaX.Cell[i + 1][i + 1], 0);
                continue;
            }
            worstVar = std::max(worstVar,
                                std::fabs(s.SigmaX.Cell[i + 1][i + 1] - ref.varP[i]) / ref.varP[i]);
        }
        EXPECT_LT(worstVar, tol);
        if (ref.s2 == 0)
            EXPECT_EQ(s.sigma0Squared, 0);
        else
            EXPECT_LT(std::fabs(s.sigma0Squared - ref.s2) / ref.s2, tol);

        // Residuals and standardised residuals, relative to their largest.
        const long double vScale = std::max(MaxAbs(ref.v), 1e-12L);
        const long double rScale = std::max(MaxAbs(ref.R), 1.0L);
        long double worstV = 0, worstR = 0;
        for (int i = 0; i < 2 * n; ++i) {
            worstV = std::max(worstV, std::fabs(s.v.Cell[i + 1][1] - ref.v[i]) / vScale);
            worstR = std::max(worstR, std::fabs(s.R.Cell[i + 1][1] - ref.R[i]) / rScale);
        }
        if (n > 4) {
            EXPECT_LT(worstV, tol);
            EXPECT_LT(worstR, tol);
        }
        std::printf(
            "[ measure  ] noisy %s n=%d: params %.3Lg, variances %.3Lg, residuals %.3Lg, "
            "standardised %.3Lg, sigma0^2 %.6Lg\n",
            dir == 0 ? "direct " : "inverse", n, err.worstRelative, worstVar, worstV, worstR,
            s.sigma0Squared);
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, AgainstQr, ::testing::Values(4, 8, 64, 150));

// The normal equations are formed on the coordinates as given, not centred,
// so an object area far from the object origin costs digits: a 20 m facade
// 1 km away is still recovered to 1e-7 in both directions; in national-grid
// coordinates (1500 km, 5000 km) the inverse normal matrix is singular to
// working precision and the estimate is refused rather than wrong.
TEST(Estimation, ObjectCoordinatesFarFromTheirOrigin) {
    for (const long double offset : {1e3L, 1.5e6L}) {
        const long double ox = offset, oy = 3.3L * offset;
        const Params& p = kDirect;
        const Params shifted = {p[0] + ox * p[6],
                                p[1] + oy * p[6],
                                p[2] + ox * p[7],
                                p[3] + oy * p[7],
                                p[4] + ox,
                                p[5] + oy,
                                p[6],
                                p[7]};
        auto list = MakePoints(150);
        for (int k = 0; k < 150; ++k) {
            ControlPoint& q = (*list)[k];
            Apply(shifted, q.x, q.y, q.X, q.Y);
        }
        const auto inverse = Swapped(*list);
        auto e = std::make_unique<ProjectiveEstimation>();
        const EstimationStatus direct = EstimateProjective(*list, *e);
        const ParamError dErr = Compare(e->result.x, shifted);
        const long double dInfl = WorstVarianceInflation(e->A, e->result.Ninv);
        const EstimationStatus inv = EstimateProjective(*inverse, *e);
        const ParamError iErr = Compare(e->result.x, InverseOf(shifted));
        std::printf(
            "[ measure  ] object offset %.3Lg: direct inflation %.3Lg error %.3Lg; "
            "inverse inflation %.3Lg error %.3Lg\n",
            offset, dInfl, dErr.worstRelative, WorstVarianceInflation(e->A, e->result.Ninv),
            iErr.worstRelative);
        if (offset < 1e4L) {
            ASSERT_EQ(direct, EstimationStatus::Ok);
            ASSERT_EQ(inv, EstimationStatus::Ok);
            EXPECT_LT(dErr.worstRelative, 1e-7L);
            EXPECT_LT(iErr.worstRelative, 1e-7L);
        } else {
            EXPECT_EQ(inv, EstimationStatus::Singular);
        }
    }
}

// Degenerate configurations, both directions: every one is refused.
TEST(Estimation, DegenerateConfigurationsAreSingular) {
    using Pts = std::vector<std::array<long double, 4>>;  // x, y, X, Y
    const std::vector<std::pair<const char*, Pts>> cases = {
        {"three collinear near the origin, one far",
         {{1, 1, 0, 0}, {2, 2, 10, 0}, {3, 3, 10, 10}, {3000, 2000, 0, 10}}},
        {"three collinear at photo size",
         {{100, 100, 2, 3}, {1900, 1450, 18, 4}, {3700, 2800, 30, 20}, {300, 2500, 1, 19}}},
        {"four collinear",
         {{100, 100, 2, 3}, {1900, 1450, 18, 4}, {3700, 2800, 30, 20}, {2800, 2125, 1, 19}}},
        {"four collinear and one off",
         {{100, 100, 2, 3},
          {1900, 1450, 18, 4},
          {3700, 2800, 30, 20},
          {2800, 2125, 1, 19},
          {300, 2500, 5, 5}}},
        {"three collinear on the object",
         {{100, 100, 0, 0}, {1900, 1450, 10, 0}, {3700, 2800, 20, 0}, {300, 2500, 5, 7}}},
        {"a point twice",
         {{100, 100, 2, 3}, {100, 100, 2, 3}, {3700, 2800, 30, 20}, {300, 2500, 1, 19}}},
    };
    bool inflationCaughtOne = false;
    for (const auto& [label, pts] : cases) {
        auto list = std::make_unique<ControlPointList>();
        for (size_t k = 0; k < pts.size(); ++k)
            (*list)[k] = {std::to_string(k + 1), pts[k][0], pts[k][1], pts[k][2], pts[k][3]};
        const auto swapped = Swapped(*list);
        for (const ControlPointList* l : {list.get(), swapped.get()}) {
            SCOPED_TRACE(std::string(label) + (l == list.get() ? ", direct" : ", inverse"));
            auto e = std::make_unique<ProjectiveEstimation>();
            EXPECT_EQ(EstimateProjective(*l, *e), EstimationStatus::Singular);
            if (WorstVarianceInflation(e->A, e->result.Ninv) > MaxVarianceInflation &&
                DenominatorsConsistent(*l, static_cast<int>(pts.size()), e->result.x))
                inflationCaughtOne = true;
        }
    }
    // At least one case passes the pivot test and is caught by the inflation.
    EXPECT_TRUE(inflationCaughtOne);
}

TEST(Estimation, CountsNamedRecordsAmongTheFirst150) {
    auto list = MakePoints(6);
    (*list)[1].Name.clear();
    (*list)[150].Name = "beyond";
    EXPECT_EQ(CountControlPoints(*list), 5);
    (*list)[0].Name.clear();
    (*list)[2].Name.clear();
    auto e = std::make_unique<ProjectiveEstimation>();
    EXPECT_EQ(EstimateProjective(*list, *e), EstimationStatus::TooFewPoints);
}

// ---------------------------------------------------------------------------
// The commands on grids.

std::string Text(long double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.6Lf", v);
    return buf;
}

void PutPoint(GridCells& uni, int row, const ControlPoint& pt, const std::string& mark = "") {
    uni.SetCell(0, row, pt.Name);
    uni.SetCell(1, row, Text(pt.x));
    uni.SetCell(2, row, Text(pt.y));
    uni.SetCell(3, row, Text(pt.X));
    uni.SetCell(4, row, Text(pt.Y));
    uni.SetCell(5, row, mark);
}

GridCells UnionOf(const ControlPointList& list, int n) {
    GridCells uni(6, 500);
    for (int k = 0; k < n; ++k) PutPoint(uni, k + 1, list[k]);
    return uni;
}

std::vector<std::string> Column(const IGrid& g, int col) {
    std::vector<std::string> out;
    for (int r = 1; r <= CountPoints(g); ++r) out.push_back(g.Cell(col, r));
    return out;
}

struct CommandRun {
    GridCells res{7, 500}, par{3, 9};
    std::unique_ptr<Matrix> p = std::make_unique<Matrix>();
    EstimationOutcome outcome;
    CommandRun(const IGrid& uni, bool inverse = false) {
        outcome = inverse ? ComputeInverseParameters(uni, res, par, *p)
                          : ComputeDirectParameters(uni, res, par, *p);
    }
};

TEST(EstimationCommand, KnownSmallCaseTexts) {
    // Image square of 100 pixels to an object square of 10 m at (0.5, 0.25).
    GridCells uni(6, 500);
    const char* rows[4][5] = {{"a", "0", "0", "0.5", "0.25"},
                              {"b", "100", "0", "10.5", "0.25"},
                              {"c", "100", "100", "10.5", "10.25"},
                              {"d", "0", "100", "0.5", "10.25"}};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 5; ++c) uni.SetCell(c, r + 1, rows[r][c]);

    CommandRun direct(uni);
    ASSERT_EQ(direct.outcome.status, EstimationStatus::Ok);
    EXPECT_EQ(direct.outcome.unitVarianceText, "0.0000000000");
    EXPECT_EQ(direct.res.RowCount(), 5);
    const char* expected[4][7] = {{"a", "0.500", "0.250", "0.000", "0.000", "0.000", "0.000"},
                                  {"b", "10.500", "0.250", "0.000", "0.000", "0.000", "0.000"},
                                  {"c", "10.500", "10.250", "0.000", "0.000", "0.000", "0.000"},
                                  {"d", "0.500", "10.250", "0.000", "0.000", "0.000", "0.000"}};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 7; ++c) EXPECT_EQ(direct.res.Cell(c, r + 1), expected[r][c]);
    const char* params[8] = {"0.1000000000", "0.0000000000", "0.0000000000", "0.1000000000",
                             "0.5000000000", "0.2500000000", "0.0000000000", "0.0000000000"};
    for (int i = 1; i <= 8; ++i) {
        EXPECT_EQ(direct.par.Cell(0, i), std::to_string(i));
        EXPECT_EQ(direct.par.Cell(1, i), params[i - 1]);
        EXPECT_EQ(direct.par.Cell(2, i), "0.0000000000");
    }
    EXPECT_EQ(direct.p->Rows, 8);
    EXPECT_EQ(direct.p->Cols, 1);
    EXPECT_NEAR(static_cast<double>(direct.p->Cell[5][1]), 0.5, 1e-15);

    // The inverse direction lists image coordinates.
    CommandRun inverse(uni, true);
    ASSERT_EQ(inverse.outcome.status, EstimationStatus::Ok);
    EXPECT_EQ(Column(inverse.res, 1),
              (std::vector<std::string>{"0.000", "100.000", "100.000", "0.000"}));
    EXPECT_EQ(Column(inverse.res, 2),
              (std::vector<std::string>{"0.000", "0.000", "100.000", "100.000"}));
    EXPECT_EQ(inverse.par.Cell(1, 1), "10.0000000000");
    EXPECT_EQ(inverse.par.Cell(1, 5), "-5.0000000000");
    EXPECT_EQ(inverse.par.Cell(1, 6), "-2.5000000000");
}

TEST(EstimationCommand, GridTextsFollowTheEstimate) {
    const auto list = MakePoints(12, 0.5, 0.005, 3);
    const GridCells uni = UnionOf(*list, 12);
    CommandRun run(uni);
    ASSERT_EQ(run.outcome.status, EstimationStatus::Ok);
    EXPECT_EQ(CountPoints(run.res), 12);
    EXPECT_EQ(run.res.RowCount(), 13);
    EXPECT_NE(run.outcome.unitVarianceText, "0.0000000000");
    // Same estimate on the list read back from the grid texts.
    auto read = std::make_unique<ControlPointList>();
    ASSERT_EQ(ReadControlPoints(uni, *read), 12);
    auto e = std::make_unique<ProjectiveEstimation>();
    ASSERT_EQ(EstimateProjective(*read, *e), EstimationStatus::Ok);
    const Reference ref = SolveByQr(*read, 12);
    EXPECT_EQ(run.outcome.unitVarianceText, FormatFixed(ref.s2, 20, 10));
    EXPECT_EQ(run.res.Cell(4, 8), FormatFixed(ref.v[2 * 8 - 1], 15, 3));  // Y residual, point 8
    EXPECT_EQ(run.res.Cell(5, 5), FormatFixed(ref.R[2 * 5 - 2], 15, 3));  // X standardised, point 5
    long double X, Y;
    const Params p = {e->result.x.Cell[1][1], e->result.x.Cell[2][1], e->result.x.Cell[3][1],
                      e->result.x.Cell[4][1], e->result.x.Cell[5][1], e->result.x.Cell[6][1],
                      e->result.x.Cell[7][1], e->result.x.Cell[8][1]};
    Apply(p, (*read)[2].x, (*read)[2].y, X, Y);
    EXPECT_EQ(run.res.Cell(1, 3), FormatFixed(X, 10, 3));
    EXPECT_EQ(run.res.Cell(2, 3), FormatFixed(Y, 10, 3));
    EXPECT_EQ(run.par.Cell(2, 4), FormatFixed(ref.varP[3], 20, 10));
    EXPECT_EQ(run.res.Cell(0, 3), "P3");
}

TEST(EstimationCommand, ExclusionMarkAndTableEnd) {
    const auto list = MakePoints(8, 0.5, 0.005, 9);
    // Reference: the same table without point 3.
    GridCells without(6, 500);
    for (int k = 0, r = 1; k < 8; ++k)
        if (k != 2) PutPoint(without, r++, (*list)[k]);
    const CommandRun ref(without);
    ASSERT_EQ(ref.outcome.status, EstimationStatus::Ok);

    GridCells marked = UnionOf(*list, 8);
    marked.SetCell(5, 3, "*");
    const CommandRun run(marked);
    ASSERT_EQ(run.outcome.status, EstimationStatus::Ok);
    EXPECT_EQ(Column(run.par, 1), Column(ref.par, 1));
    EXPECT_EQ(Column(run.res, 0), Column(ref.res, 0));
    EXPECT_EQ(CountPoints(run.res), 7);

    // Only a lone "*" excludes.
    for (const char* other : {" *", "x", "* "}) {
        marked.SetCell(5, 3, other);
        const CommandRun kept(marked);
        EXPECT_EQ(CountPoints(kept.res), 8) << other;
    }

    // Rows after the first empty column-1 cell are not read.
    GridCells gap = UnionOf(*list, 8);
    gap.SetCell(0, 9, "far");
    gap.SetCell(1, 10, "5");  // row 9 has an empty column 1
    PutPoint(gap, 10, {"wild", 5, 5, 900, -900});
    GridCells eight = UnionOf(*list, 8);
    EXPECT_EQ(Column(CommandRun(gap).par, 1), Column(CommandRun(eight).par, 1));
}

TEST(EstimationCommand, NamelessRowTakesPartAndCutsTheTable) {
    const auto list = MakePoints(7, 0.5, 0.005, 21);
    GridCells uni = UnionOf(*list, 7);
    uni.SetCell(0, 2, "");
    const CommandRun run(uni);
    ASSERT_EQ(run.outcome.status, EstimationStatus::Ok);
    // Residual rows stop before the nameless record.
    EXPECT_EQ(CountPoints(run.res), 1);
    EXPECT_EQ(run.res.Cell(0, 1), "P1");
    // The estimate uses records 1..6, the nameless one included.
    GridCells six = UnionOf(*list, 6);
    EXPECT_EQ(Column(run.par, 1), Column(CommandRun(six).par, 1));
}

TEST(EstimationCommand, OnlyTheFirst150PointsAreAdjusted) {
    const auto list = MakePoints(150, 0.5, 0.005, 33);
    GridCells uni = UnionOf(*list, 150);
    const CommandRun first(uni);
    PutPoint(uni, 151, {"wild1", 10, 10, 5000, 5000});
    PutPoint(uni, 152, {"wild2", 3000, 10, -5000, 5000});
    const CommandRun all(uni);
    ASSERT_EQ(all.outcome.status, EstimationStatus::Ok);
    EXPECT_EQ(CountPoints(all.res), 150);
    EXPECT_EQ(all.res.RowCount(), 151);
    EXPECT_EQ(Column(all.par, 1), Column(first.par, 1));
    EXPECT_EQ(all.outcome.unitVarianceText, first.outcome.unitVarianceText);

    // A list holds 500 records; further unmarked rows are not read.
    GridCells big(6, 600);
    for (int r = 1; r <= 520; ++r) PutPoint(big, r, (*list)[(r - 1) % 150]);
    auto read = std::make_unique<ControlPointList>();
    EXPECT_EQ(ReadControlPoints(big, *read), 500);
}

// Every refusal leaves both tables empty, however full they were.
class Refusal : public ::testing::Test {
protected:
    void ExpectRefused(const IGrid& uni, EstimationStatus why, bool inverse = false) {
        CommandRun run(uni, inverse);
        for (IGrid* g : {static_cast<IGrid*>(&run.res), static_cast<IGrid*>(&run.par)})
            for (int r = 1; r <= 3; ++r)
                for (int c = 0; c < g->ColCount(); ++c) g->SetCell(c, r, "9");
        run.outcome = inverse ? ComputeInverseParameters(uni, run.res, run.par, *run.p)
                              : ComputeDirectParameters(uni, run.res, run.par, *run.p);
        EXPECT_EQ(run.outcome.status, why);
        EXPECT_TRUE(run.outcome.unitVarianceText.empty());
        EXPECT_EQ(run.p->Rows, 0);
        for (const IGrid* g : {static_cast<IGrid*>(&run.res), static_cast<IGrid*>(&run.par)})
            for (int r = 1; r <= 3; ++r)
                for (int c = 0; c < g->ColCount(); ++c) EXPECT_EQ(g->Cell(c, r), "");
    }
};

TEST_F(Refusal, TooFewPoints) {
    const auto list = MakePoints(5);
    ExpectRefused(UnionOf(*list, 3), EstimationStatus::TooFewPoints);
    GridCells marked = UnionOf(*list, 5);
    marked.SetCell(5, 1, "*");
    marked.SetCell(5, 4, "*");
    ExpectRefused(marked, EstimationStatus::TooFewPoints, true);
}

TEST_F(Refusal, Singular) {
    GridCells uni(6, 500);
    const char* rows[4][5] = {{"1", "100", "100", "2", "3"},
                              {"2", "1900", "1450", "18", "4"},
                              {"3", "3700", "2800", "30", "20"},
                              {"4", "300", "2500", "1", "19"}};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 5; ++c) uni.SetCell(c, r + 1, rows[r][c]);
    ExpectRefused(uni, EstimationStatus::Singular);
    ExpectRefused(uni, EstimationStatus::Singular, true);
}

TEST_F(Refusal, FloatingPointFault) {
    // Coordinates that fit a long double but whose products overflow.
    const auto list = MakePoints(6);
    GridCells uni = UnionOf(*list, 6);
    uni.SetCell(3, 2, "1e3000");
    ExpectRefused(uni, EstimationStatus::FloatingPointFault);
}

TEST(EstimationTables, ZeroDenominatorWritesNothing) {
    // Parameters that send record 1 (x = 2, y = 0) to 0/0.
    auto list = std::make_unique<ControlPointList>();
    (*list)[0] = {"z", 2, 0, 0, 0};
    (*list)[1] = {"w", 0, 0, 0, 0};
    auto e = std::make_unique<ProjectiveEstimation>();
    e->result.x.Rows = 8;
    e->result.x.Cell[1][1] = 1;
    e->result.x.Cell[5][1] = -2;
    e->result.x.Cell[7][1] = -0.5L;
    GridCells res(7, 500), par(3, 9);
    std::string text = "untouched";
    EXPECT_EQ(FillEstimationTables(*list, *e, res, par, text),
              EstimationStatus::FloatingPointFault);
    EXPECT_EQ(text, "untouched");
    EXPECT_EQ(CountPoints(res), 0);
    EXPECT_EQ(par.Cell(1, 1), "");
    EXPECT_FALSE(DenominatorsConsistent(*list, 2, e->result.x));
}

}  // namespace
