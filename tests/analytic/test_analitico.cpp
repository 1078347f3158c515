#include <gtest/gtest.h>
#include <quadmath.h>

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
    const PlanePoint q = Projective{p}.Apply(x, y).value();
    X = q.x;
    Y = q.y;
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
ParamError Compare(const Projective& t, const Params& truth) {
    ParamError e;
    for (int i = 0; i < 8; ++i) {
        const long double d = std::fabs(t.p[i] - truth[i]);
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

long double Sqrt(long double v) { return std::sqrt(v); }
__float128 Sqrt(__float128 v) { return sqrtq(v); }

// Real is long double or, for a reference well beyond the estimation's own
// precision, __float128.
template <typename Real = long double>
Reference SolveByQr(const ControlPointList& list, int n) {
    const int m = 2 * n;
    std::vector<std::array<Real, 8>> A(m), W;
    std::vector<Real> l(m), b;
    for (int k = 0; k < n; ++k) {
        const ControlPoint& q = list[k];
        const Real x = q.x, y = q.y, X = q.X, Y = q.Y;
        A[2 * k] = {x, 0, y, 0, 1, 0, -x * X, -y * X};
        A[2 * k + 1] = {0, x, 0, y, 0, 1, -x * Y, -y * Y};
        l[2 * k] = X;
        l[2 * k + 1] = Y;
    }
    W = A;
    b = l;
    for (int j = 0; j < 8; ++j) {
        Real norm = 0;
        for (int i = j; i < m; ++i) norm += W[i][j] * W[i][j];
        norm = Sqrt(norm);
        const Real alpha = W[j][j] > 0 ? -norm : norm;
        std::vector<Real> u(m, 0);
        for (int i = j; i < m; ++i) u[i] = W[i][j];
        u[j] -= alpha;
        Real uu = 0;
        for (int i = j; i < m; ++i) uu += u[i] * u[i];
        if (uu == 0) continue;
        for (int c = j; c < 8; ++c) {
            Real dot = 0;
            for (int i = j; i < m; ++i) dot += u[i] * W[i][c];
            for (int i = j; i < m; ++i) W[i][c] -= 2 * dot / uu * u[i];
        }
        Real dot = 0;
        for (int i = j; i < m; ++i) dot += u[i] * b[i];
        for (int i = j; i < m; ++i) b[i] -= 2 * dot / uu * u[i];
    }
    Real p[8] = {};
    for (int i = 7; i >= 0; --i) {
        Real s = b[i];
        for (int j = i + 1; j < 8; ++j) s -= W[i][j] * p[j];
        p[i] = s / W[i][i];
    }
    // Rinv, upper triangular: (A'A)^-1 = Rinv Rinv'.
    Real Rinv[8][8] = {};
    for (int c = 0; c < 8; ++c) {
        Rinv[c][c] = 1 / W[c][c];
        for (int i = c - 1; i >= 0; --i) {
            Real s = 0;
            for (int j = i + 1; j <= c; ++j) s += W[i][j] * Rinv[j][c];
            Rinv[i][c] = -s / W[i][i];
        }
    }
    std::vector<Real> v(m);
    Real ss = 0;
    for (int i = 0; i < m; ++i) {
        Real s = 0;
        for (int j = 0; j < 8; ++j) s += A[i][j] * p[j];
        v[i] = s - l[i];
        ss += v[i] * v[i];
    }
    Real s2 = m > 8 ? ss / (m - 8) : 0;
    if (s2 < Real(1e-20L)) s2 = 0;
    Reference r;
    r.s2 = static_cast<long double>(s2);
    for (int i = 0; i < 8; ++i) {
        r.p[i] = static_cast<long double>(p[i]);
        Real s = 0;
        for (int k = 0; k < 8; ++k) s += Rinv[i][k] * Rinv[i][k];
        r.varP[i] = static_cast<long double>(s2 * s);
    }
    for (int i = 0; i < m; ++i) {
        Real h = 0;  // leverage: squared norm of row i of A Rinv
        for (int k = 0; k < 8; ++k) {
            Real q = 0;
            for (int j = 0; j <= k; ++j) q += A[i][j] * Rinv[j][k];
            h += q * q;
        }
        const Real sv = s2 * (1 - h);
        r.v.push_back(static_cast<long double>(v[i]));
        r.R.push_back(static_cast<long double>(sv != 0 ? v[i] / Sqrt(sv) : 0));
    }
    return r;
}

long double MaxAbs(const std::vector<long double>& v) {
    long double m = 0;
    for (long double x : v) m = std::max(m, std::fabs(x));
    return m;
}

// Worst relative differences between a fit and a reference solution: the
// parameters and variances each against itself (a variance that is 0 in the
// reference must be 0), sigma0^2, and the residuals and standardised
// residuals against their largest.
struct Agreement {
    long double params = 0, variances = 0, sigma0 = 0, residuals = 0, standardised = 0;
    long double worst(bool withResiduals) const {
        const long double w = std::max({params, variances, sigma0});
        return withResiduals ? std::max({w, residuals, standardised}) : w;
    }
};

long double RelativeTo(long double a, long double b) {
    return b == 0 ? (a == 0 ? 0 : 1) : std::fabs(a - b) / std::fabs(b);
}

Agreement Agree(const ProjectiveFit& f, const Reference& ref) {
    Agreement a;
    for (int i = 0; i < 8; ++i) {
        a.params = std::max(a.params, RelativeTo(f.transform.p[i], ref.p[i]));
        a.variances = std::max(a.variances, RelativeTo(f.covariance[i][i], ref.varP[i]));
    }
    a.sigma0 = RelativeTo(f.sigma0Squared, ref.s2);
    if (f.residuals.size() != ref.v.size()) {  // a refused estimation has none
        a.residuals = a.standardised = 1;
        return a;
    }
    const long double vScale = std::max(MaxAbs(ref.v), 1e-12L);
    const long double rScale = std::max(MaxAbs(ref.R), 1.0L);
    for (size_t i = 0; i < ref.v.size(); ++i) {
        a.residuals = std::max(a.residuals, std::fabs(f.residuals[i] - ref.v[i]) / vScale);
        a.standardised = std::max(a.standardised, std::fabs(f.standardised[i] - ref.R[i]) / rScale);
    }
    return a;
}

// The normal equations formed on the coordinates as given, as the estimation
// did before it conditioned its design.
Reference TodaysRoute(const ControlPointList& list) {
    auto a = std::make_unique<Matrix>(), l = std::make_unique<Matrix>();
    auto p = std::make_unique<Matrix>();
    auto out = std::make_unique<LeastSquaresSolution>();
    auto work = std::make_unique<LeastSquaresWork>();
    for (Matrix* m : {a.get(), l.get(), p.get()}) ZeroMatrix(*m);
    BuildDesignMatrix(list, DesignConditioning{}, *a, *l);
    IdentityMatrix(*p);
    p->Rows = p->Cols = a->Rows;
    EXPECT_EQ(SolveLeastSquares(*a, *l, *p, *out, *work), InversionStatus::Done);
    Reference r;
    for (int i = 0; i < 8; ++i) {
        r.p[i] = out->x.Cell[i + 1][1];
        r.varP[i] = out->SigmaX.Cell[i + 1][i + 1];
    }
    for (int i = 1; i <= a->Rows; ++i) {
        r.v.push_back(out->v.Cell[i][1]);
        r.R.push_back(out->R.Cell[i][1]);
    }
    r.s2 = out->sigma0Squared;
    return r;
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
        const ParamError err = Compare(e->fit.transform, truths[dir]);
        EXPECT_LT(err.worstRelative, 1e-7L);
        EXPECT_LT(err.worstAbsoluteNearZero, 1e-12L);
        // Exact data leave nothing for the unit variance: it is 0, and with it
        // every parameter variance and standardised residual.
        EXPECT_EQ(e->fit.sigma0Squared, 0);
        for (int i = 0; i < 8; ++i) EXPECT_EQ(e->fit.covariance[i][i], 0);
        ASSERT_EQ(e->fit.standardised.size(), size_t(2 * n));
        for (long double r : e->fit.standardised) ASSERT_EQ(r, 0);
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
    for (int dir = 0; dir < 2; ++dir) {
        SCOPED_TRACE(dir == 0 ? "direct" : "inverse");
        auto e = std::make_unique<ProjectiveEstimation>();
        ASSERT_EQ(EstimateProjective(*lists[dir], *e), EstimationStatus::Ok);
        const Agreement withQr = Agree(e->fit, SolveByQr(*lists[dir], n));
        const Agreement withToday = Agree(e->fit, TodaysRoute(*lists[dir]));
        EXPECT_LT(withQr.worst(n > 4), 1e-7L);
        EXPECT_LT(withToday.worst(n > 4), 1e-12L);
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, AgainstQr, ::testing::Values(4, 8, 64, 150));

// Object coordinates in a national grid: the same facade with its object
// coordinates shifted by (X0, Y0). Local object coordinates are multiples of
// 2^-20 m, so every shift below is exact and the shifted data are the local
// data, not a rounding of them.
struct Offset {
    long double X0, Y0;
};
void PrintTo(const Offset& o, std::ostream* os) {
    *os << static_cast<double>(o.X0) << " / " << static_cast<double>(o.Y0);
}

class NationalGrid : public ::testing::TestWithParam<Offset> {
protected:
    static constexpr int kPoints = 64;
    // Image points and their object points; with noise both sides are
    // disturbed (0.5 px, 5 mm), the object side kept on the 2^-20 grid.
    static std::unique_ptr<ControlPointList> Facade(bool noisy, Offset o,
                                                    const Params& view = kDirect) {
        auto list = MakePoints(kPoints, noisy ? 0.5 : 0, noisy ? 0.005 : 0, 41);
        const Projective toImage{InverseOf(view)};
        for (int k = 0; k < kPoints; ++k) {
            ControlPoint& q = (*list)[k];
            if (!noisy) Apply(view, q.x, q.y, q.X, q.Y);
            const long double X = std::ldexp(std::nearbyint(std::ldexp(q.X, 20)), -20);
            const long double Y = std::ldexp(std::nearbyint(std::ldexp(q.Y, 20)), -20);
            if (!noisy) {
                const PlanePoint px = toImage.Apply(X, Y).value();
                q.x = px.x;
                q.y = px.y;
            }
            q.X = X + o.X0;
            q.Y = Y + o.Y0;
        }
        return list;
    }
    static ProjectiveFit Fit(const ControlPointList& list) {
        auto e = std::make_unique<ProjectiveEstimation>();
        EXPECT_EQ(EstimateProjective(list, *e), EstimationStatus::Ok);
        return e->fit;
    }
};

// Image to object: the shift is an exact change of the parameters
// (p1 + X0*p7, p2 + Y0*p7, p3 + X0*p8, p4 + Y0*p8, p5 + X0, p6 + Y0) and
// leaves residuals and unit variance alone.
TEST_P(NationalGrid, DirectDirectionMapsExactly) {
    const Offset o = GetParam();
    const ProjectiveFit local = Fit(*Facade(true, {0, 0}));
    const ProjectiveFit far = Fit(*Facade(true, o));
    const auto& q = local.transform.p;
    Reference expected;
    expected.p = {q[0] + o.X0 * q[6],
                  q[1] + o.Y0 * q[6],
                  q[2] + o.X0 * q[7],
                  q[3] + o.Y0 * q[7],
                  q[4] + o.X0,
                  q[5] + o.Y0,
                  q[6],
                  q[7]};
    // Variances through the same map: J S J' with J the identity plus X0 or
    // Y0 in the p7 and p8 columns of rows p1 .. p4.
    long double J[8][8] = {};
    for (int i = 0; i < 8; ++i) J[i][i] = 1;
    J[0][6] = J[2][7] = o.X0;
    J[1][6] = J[3][7] = o.Y0;
    for (int i = 0; i < 8; ++i)
        for (int j = 0; j < 8; ++j)
            for (int k = 0; k < 8; ++k)
                expected.varP[i] += J[i][j] * local.covariance[j][k] * J[i][k];
    expected.v = local.residuals;
    expected.R = local.standardised;
    expected.s2 = local.sigma0Squared;
    const Agreement a = Agree(far, expected);
    EXPECT_LT(a.worst(true), 1e-9L);
}

// Object to image: the shifted side is the input, so noisy shifted and local
// solutions differ; each is checked against a solve of its own equations in
// 113-bit arithmetic. On exact data the shifted solution is the local one
// composed with the shift.
TEST_P(NationalGrid, InverseDirectionAgreesWithQuadPrecision) {
    const Offset o = GetParam();
    const auto noisy = Swapped(*Facade(true, o));
    const Agreement a = Agree(Fit(*noisy), SolveByQr<__float128>(*noisy, kPoints));
    EXPECT_LT(a.worst(true), 1e-9L);

    // The oblique view, and a frontal one (no perspective), whose denominator
    // columns far from the origin are almost those of the affine unknowns.
    const Params frontal = {kDirect[0], kDirect[1], kDirect[2], kDirect[3],
                            kDirect[4], kDirect[5], 0,          0};
    for (const Params& view : {kDirect, frontal}) {
        const Projective far = Fit(*Swapped(*Facade(false, o, view))).transform;
        const Projective local = Fit(*Swapped(*Facade(false, {0, 0}, view))).transform;
        const auto& q = local.p;
        const long double w = 1 - q[6] * o.X0 - q[7] * o.Y0;
        const Params composed = {q[0] / w,
                                 q[1] / w,
                                 q[2] / w,
                                 q[3] / w,
                                 (q[4] - q[0] * o.X0 - q[2] * o.Y0) / w,
                                 (q[5] - q[1] * o.X0 - q[3] * o.Y0) / w,
                                 q[6] / w,
                                 q[7] / w};
        // p7 and p8 of the frontal view are 0: theirs is judged by what it adds
        // to the denominator across the coordinates.
        const long double spread = 1 / (std::fabs(o.X0) + std::fabs(o.Y0) + 32);
        for (int i = 0; i < 8; ++i) {
            const long double scale = std::max(std::fabs(composed[i]), i < 6 ? 0 : spread);
            EXPECT_LT(std::fabs(far.p[i] - composed[i]) / scale, 1e-9L)
                << "p" << i + 1 << (view == kDirect ? " oblique" : " frontal");
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Offsets, NationalGrid,
                         ::testing::Values(Offset{0, 0}, Offset{1e3L, 1e3L}, Offset{1e5L, 1e5L},
                                           Offset{1.5e6L, 5e6L}, Offset{1e7L, 1e7L}));

// Degenerate configurations, both directions, with local and national-grid
// object coordinates: every one is refused.
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
    for (const long double offset : {0.0L, 1e6L}) {
        for (const auto& [label, pts] : cases) {
            auto list = std::make_unique<ControlPointList>();
            for (size_t k = 0; k < pts.size(); ++k)
                (*list)[k] = {std::to_string(k + 1), pts[k][0], pts[k][1],
                              pts[k][2] + 1.5L * offset, pts[k][3] + 5 * offset};
            const auto swapped = Swapped(*list);
            for (const ControlPointList* l : {list.get(), swapped.get()}) {
                SCOPED_TRACE(std::string(label) + (l == list.get() ? ", direct" : ", inverse") +
                             (offset > 0 ? ", national grid" : ""));
                auto e = std::make_unique<ProjectiveEstimation>();
                EXPECT_EQ(EstimateProjective(*l, *e), EstimationStatus::Singular);
            }
        }
    }
}

// The safety net behind the pivot test: N[j][j] * Ninv[j][j], and no
// acceptance of an inverse whose diagonal is not positive (a rounding-made
// inverse of a singular matrix).
TEST(Estimation, VarianceInflationOfAlmostParallelColumns) {
    auto a = std::make_unique<Matrix>(), ninv = std::make_unique<Matrix>();
    a->Rows = 2;
    a->Cols = 2;
    a->Cell[1][1] = a->Cell[1][2] = a->Cell[2][1] = 1;
    a->Cell[2][2] = 1 + 1e-6L;  // N = [[2, 2 + d], [2 + d, 1 + (1 + d)^2]]
    const long double d = 1e-6L, det = 2 * (1 + (1 + d) * (1 + d)) - (2 + d) * (2 + d);
    ninv->Cell[1][1] = (1 + (1 + d) * (1 + d)) / det;
    ninv->Cell[2][2] = 2 / det;
    EXPECT_NEAR(static_cast<double>(WorstVarianceInflation(*a, *ninv) * d * d), 4, 1e-4);
    ninv->Cell[2][2] = -1;
    EXPECT_TRUE(std::isinf(WorstVarianceInflation(*a, *ninv)));
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

// A union table of rows of texts: name, x, y, X, Y.
GridCells UnionOfTexts(std::initializer_list<std::array<const char*, 5>> rows) {
    GridCells uni(6, 500);
    int r = 0;
    for (const auto& row : rows) {
        ++r;
        for (int c = 0; c < 5; ++c) uni.SetCell(c, r, row[c]);
    }
    return uni;
}

std::vector<std::string> Column(const IGrid& g, int col) {
    std::vector<std::string> out;
    for (int r = 1; r <= CountPoints(g); ++r) out.push_back(g.Cell(col, r));
    return out;
}

struct CommandRun {
    GridCells res{7, 500}, par{3, 9};
    EstimationOutcome outcome;
    CommandRun(const IGrid& uni, bool inverse = false, const AdjustmentOptions& options = {}) {
        outcome = inverse ? ComputeInverseParameters(uni, res, par, options)
                          : ComputeDirectParameters(uni, res, par, options);
    }
};

TEST(EstimationCommand, KnownSmallCaseTexts) {
    // Image square of 100 pixels to an object square of 10 m at (0.5, 0.25).
    const GridCells uni = UnionOfTexts({{"a", "0", "0", "0.5", "0.25"},
                                        {"b", "100", "0", "10.5", "0.25"},
                                        {"c", "100", "100", "10.5", "10.25"},
                                        {"d", "0", "100", "0.5", "10.25"}});

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
    EXPECT_NEAR(static_cast<double>(direct.outcome.fit.transform.P(5)), 0.5, 1e-15);

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
    // The linear estimate, as the option keeps it: the texts of the linearised equations.
    CommandRun run(uni, false, {.linearOnly = true});
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
    const PlanePoint q = e->fit.transform.Apply((*read)[2].x, (*read)[2].y).value();
    EXPECT_EQ(run.res.Cell(1, 3), FormatFixed(q.x, 10, 3));
    EXPECT_EQ(run.res.Cell(2, 3), FormatFixed(q.y, 10, 3));
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
        run.outcome = inverse ? ComputeInverseParameters(uni, run.res, run.par)
                              : ComputeDirectParameters(uni, run.res, run.par);
        EXPECT_EQ(run.outcome.status, why);
        EXPECT_TRUE(run.outcome.unitVarianceText.empty());
        EXPECT_TRUE(run.outcome.fit.residuals.empty());
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
    const GridCells uni = UnionOfTexts({{"1", "100", "100", "2", "3"},
                                        {"2", "1900", "1450", "18", "4"},
                                        {"3", "3700", "2800", "30", "20"},
                                        {"4", "300", "2500", "1", "19"}});
    ExpectRefused(uni, EstimationStatus::Singular);
    ExpectRefused(uni, EstimationStatus::Singular, true);
}

TEST_F(Refusal, FloatingPointFault) {
    // A coordinate that fits a long double but whose products overflow.
    const auto list = MakePoints(6);
    GridCells uni = UnionOf(*list, 6);
    uni.SetCell(3, 2, "1e4930");
    ExpectRefused(uni, EstimationStatus::FloatingPointFault);
}

TEST(EstimationTables, ZeroDenominatorWritesNothing) {
    // Parameters that send record 1 (x = 2, y = 0) to 0/0.
    auto list = std::make_unique<ControlPointList>();
    (*list)[0] = {"z", 2, 0, 0, 0};
    (*list)[1] = {"w", 0, 0, 0, 0};
    ProjectiveFit fit;
    fit.transform.p = {1, 0, 0, 0, -2, 0, -0.5L, 0};
    fit.residuals.assign(4, 0);
    fit.standardised.assign(4, 0);
    GridCells res(7, 500), par(3, 9);
    std::string text = "untouched";
    EXPECT_EQ(FillEstimationTables(*list, fit, res, par, text),
              EstimationStatus::FloatingPointFault);
    EXPECT_EQ(text, "untouched");
    EXPECT_EQ(CountPoints(res), 0);
    EXPECT_EQ(par.Cell(1, 1), "");
    EXPECT_FALSE(DenominatorsConsistent(*list, 2, fit.transform));
}

}  // namespace
