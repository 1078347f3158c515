#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "analytic/u_compensazione.h"
#include "platform/igrid.h"
#include "tables/u_omnia.h"

namespace {

using H3 = std::array<std::array<long double, 3>, 3>;

// An oblique view of a facade: pixels (0..4000 x 0..3000, rows downwards) to
// metres (about 20 x 15).
const Projective kView{{0.005L, 0.0004L, -0.0003L, 0.0045L, 1.5L, -2.0L, 2e-5L, -1e-5L}};

H3 Matrix3(const Projective& t) {
    const auto& p = t.p;
    return {{{p[0], p[2], p[4]}, {p[1], p[3], p[5]}, {p[6], p[7], 1}}};
}

H3 Multiply(const H3& a, const H3& b) {
    H3 c{};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            for (int k = 0; k < 3; ++k) c[i][j] += a[i][k] * b[k][j];
    return c;
}

// n seeded points, image side with 0.5 px of noise, object side with 5 mm and
// kept on a 2^-20 m grid so that every shift below is exact; the image side
// then moved by imageShift, the object side by objectShift.
std::unique_ptr<ControlPointList> NoisyFacade(int n, long double imageShift,
                                              long double objectShiftX, long double objectShiftY) {
    auto list = std::make_unique<ControlPointList>();
    std::mt19937_64 gen(500 + n);
    std::uniform_real_distribution<double> ux(0, 4000), uy(0, 3000);
    std::normal_distribution<double> px(0, 0.5), metres(0, 0.005);
    for (int k = 0; k < n; ++k) {
        ControlPoint& q = (*list)[k];
        q.Name = "P" + std::to_string(k + 1);
        q.x = ux(gen);
        q.y = uy(gen);
        const PlanePoint o = kView.Apply(q.x, q.y).value();
        q.x += px(gen) + imageShift;
        q.y += px(gen) + imageShift;
        q.X = std::ldexp(std::nearbyint(std::ldexp(o.x + metres(gen), 20)), -20) + objectShiftX;
        q.Y = std::ldexp(std::nearbyint(std::ldexp(o.y + metres(gen), 20)), -20) + objectShiftY;
    }
    return list;
}

// An independent non-linear least squares: both sides moved to their centroid
// and scaled to unit spread, Gauss-Newton there from the true view on the
// nine elements of the 3 x 3 matrix with the last held at 1, then mapped back.
struct Reference {
    std::array<long double, 8> p{};
    std::vector<long double> v, R;
    long double s2 = 0;
};

struct Similarity {
    long double cx = 0, cy = 0, s = 1;  // (x - cx) * s
    H3 Forward() const { return {{{s, 0, -s * cx}, {0, s, -s * cy}, {0, 0, 1}}}; }
    H3 Backward() const { return {{{1 / s, 0, cx}, {0, 1 / s, cy}, {0, 0, 1}}}; }
};

Similarity Normalising(const std::vector<std::array<long double, 2>>& pts) {
    Similarity t;
    for (const auto& q : pts) {
        t.cx += q[0] / pts.size();
        t.cy += q[1] / pts.size();
    }
    long double spread = 0;
    for (const auto& q : pts) spread += std::hypot(q[0] - t.cx, q[1] - t.cy) / pts.size();
    t.s = 1 / spread;
    return t;
}

// Solves g x = b (order 8) by elimination with partial pivoting; g is spoilt.
std::array<long double, 8> Solve8(std::array<std::array<long double, 9>, 8> g) {
    for (int k = 0; k < 8; ++k) {
        int piv = k;
        for (int r = k + 1; r < 8; ++r)
            if (std::fabs(g[r][k]) > std::fabs(g[piv][k])) piv = r;
        std::swap(g[k], g[piv]);
        for (int r = 0; r < 8; ++r)
            if (r != k) {
                const long double f = g[r][k] / g[k][k];
                for (int c = k; c < 9; ++c) g[r][c] -= f * g[k][c];
            }
    }
    std::array<long double, 8> x{};
    for (int k = 0; k < 8; ++k) x[k] = g[k][8] / g[k][k];
    return x;
}

Reference SolveNonLinear(const ControlPointList& list, int n, const Projective& start) {
    std::vector<std::array<long double, 2>> in, out;
    for (int k = 0; k < n; ++k) {
        in.push_back({list[k].x, list[k].y});
        out.push_back({list[k].X, list[k].Y});
    }
    const Similarity si = Normalising(in), so = Normalising(out);
    H3 h = Multiply(Multiply(so.Forward(), Matrix3(start)), si.Backward());
    for (auto& row : h)
        for (long double& e : row) e /= h[2][2];
    std::vector<std::array<long double, 8>> jac(2 * n);
    std::vector<long double> v(2 * n);
    auto linearise = [&] {
        for (int k = 0; k < n; ++k) {
            const long double x = (in[k][0] - si.cx) * si.s, y = (in[k][1] - si.cy) * si.s;
            const long double d = h[2][0] * x + h[2][1] * y + 1;
            const long double f = (h[0][0] * x + h[0][1] * y + h[0][2]) / d;
            const long double g = (h[1][0] * x + h[1][1] * y + h[1][2]) / d;
            jac[2 * k] = {x / d, y / d, 1 / d, 0, 0, 0, -x * f / d, -y * f / d};
            jac[2 * k + 1] = {0, 0, 0, x / d, y / d, 1 / d, -x * g / d, -y * g / d};
            v[2 * k] = f - (out[k][0] - so.cx) * so.s;
            v[2 * k + 1] = g - (out[k][1] - so.cy) * so.s;
        }
    };
    auto normal = [&] {
        std::array<std::array<long double, 9>, 8> g{};
        for (int i = 0; i < 2 * n; ++i)
            for (int r = 0; r < 8; ++r) {
                for (int c = 0; c < 8; ++c) g[r][c] += jac[i][r] * jac[i][c];
                g[r][8] -= jac[i][r] * v[i];
            }
        return g;
    };
    for (int it = 0; it < 30; ++it) {
        linearise();
        const auto dx = Solve8(normal());
        long double* e[8] = {&h[0][0], &h[0][1], &h[0][2], &h[1][0],
                             &h[1][1], &h[1][2], &h[2][0], &h[2][1]};
        for (int i = 0; i < 8; ++i) *e[i] += dx[i];
    }
    linearise();
    Reference r;
    long double ss = 0;
    for (int i = 0; i < 2 * n; ++i) {
        r.v.push_back(v[i] / so.s);
        ss += r.v[i] * r.v[i];
    }
    r.s2 = ss / (2 * n - 8);
    // Leverages: row i of J times (J'J)^-1 times its transpose.
    const auto g = normal();
    for (int i = 0; i < 2 * n; ++i) {
        std::array<std::array<long double, 9>, 8> gi = g;
        for (int c = 0; c < 8; ++c) gi[c][8] = jac[i][c];
        const auto q = Solve8(gi);
        long double lev = 0;
        for (int c = 0; c < 8; ++c) lev += jac[i][c] * q[c];
        r.R.push_back(r.v[i] / std::sqrt(r.s2 * (1 - lev)));
    }
    H3 back = Multiply(Multiply(so.Backward(), h), si.Forward());
    const long double w = back[2][2];
    r.p = {back[0][0] / w, back[1][0] / w, back[0][1] / w, back[1][1] / w,
           back[0][2] / w, back[1][2] / w, back[2][0] / w, back[2][1] / w};
    return r;
}

long double MaxAbs(const std::vector<long double>& v) {
    long double m = 0;
    for (long double x : v) m = std::max(m, std::fabs(x));
    return m;
}

// Worst difference of two lists relative to the larger magnitude of the reference's.
long double Worst(const std::vector<long double>& a, const std::vector<long double>& b,
                  long double floor = 0) {
    if (a.size() != b.size()) return 1;
    const long double scale = std::max(MaxAbs(b), floor);
    long double w = 0;
    for (size_t i = 0; i < a.size(); ++i) w = std::max(w, std::fabs(a[i] - b[i]) / scale);
    return w;
}

struct Case {
    const char* label;
    bool inverse;
    long double imageShift, objectX, objectY;
};
void PrintTo(const Case& c, std::ostream* os) { *os << c.label; }

class Adjustment : public ::testing::TestWithParam<Case> {
protected:
    static constexpr int kPoints = 40;
    static std::unique_ptr<ControlPointList> Points(const Case& c) {
        auto list = NoisyFacade(kPoints, c.imageShift, c.objectX, c.objectY);
        if (!c.inverse) return list;
        auto swapped = std::make_unique<ControlPointList>();
        SwapPointRoles(*list, *swapped);
        return swapped;
    }
};

// Parameters, unit variance, residuals (computed minus observed) and
// standardised residuals equal an independent solution, and do not move with
// either origin.
TEST_P(Adjustment, EqualsIndependentNonLinearSolution) {
    const Case c = GetParam();
    const auto list = Points(c);
    auto e = std::make_unique<ProjectiveEstimation>();
    ASSERT_EQ(AdjustProjective(*list, *e, {}), EstimationStatus::Ok);
    const ProjectiveFit& f = e->fit;
    // The true view seen from the shifted origins starts the reference.
    const H3 shiftIn = {{{1, 0, -c.imageShift}, {0, 1, -c.imageShift}, {0, 0, 1}}};
    const H3 shiftOut = {{{1, 0, c.objectX}, {0, 1, c.objectY}, {0, 0, 1}}};
    H3 view = Multiply(Multiply(shiftOut, Matrix3(kView)), shiftIn);
    if (c.inverse) {  // the adjugate of the direct view
        const H3 m = view;
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j)
                view[j][i] = m[(i + 1) % 3][(j + 1) % 3] * m[(i + 2) % 3][(j + 2) % 3] -
                             m[(i + 1) % 3][(j + 2) % 3] * m[(i + 2) % 3][(j + 1) % 3];
    }
    const long double w = view[2][2];
    const Projective start{{view[0][0] / w, view[1][0] / w, view[0][1] / w, view[1][1] / w,
                            view[0][2] / w, view[1][2] / w, view[2][0] / w, view[2][1] / w}};
    const Reference ref = SolveNonLinear(*list, kPoints, start);

    // p7 and p8 are judged by what they add to the denominator over the points.
    long double spread = 0;
    for (int k = 0; k < kPoints; ++k)
        spread = std::max({spread, std::fabs((*list)[k].x), std::fabs((*list)[k].y)});
    for (int i = 0; i < 8; ++i) {
        const long double scale = i < 6 ? std::fabs(ref.p[i]) : 1 / spread;
        EXPECT_LT(std::fabs(f.transform.p[i] - ref.p[i]) / scale, 1e-9L) << "p" << i + 1;
    }
    EXPECT_LT(std::fabs(f.sigma0Squared - ref.s2) / ref.s2, 1e-9L);
    EXPECT_LT(Worst(f.residuals, ref.v), 1e-9L);
    EXPECT_LT(Worst(f.standardised, ref.R, 1), 1e-9L);
    for (int k = 0; k < kPoints; ++k) {  // computed minus observed, in output units
        const PlanePoint q = f.transform.Apply((*list)[k].x, (*list)[k].y).value();
        EXPECT_NEAR(static_cast<double>(q.x - (*list)[k].X - f.residuals[2 * k]), 0, 1e-6);
    }

    auto local = std::make_unique<ProjectiveEstimation>();
    ASSERT_EQ(AdjustProjective(*Points({"", c.inverse, 0, 0, 0}), *local, {}),
              EstimationStatus::Ok);
    EXPECT_LT(std::fabs(f.sigma0Squared - local->fit.sigma0Squared) / ref.s2, 1e-9L);
    EXPECT_LT(Worst(f.residuals, local->fit.residuals), 1e-9L);
    EXPECT_LT(Worst(f.standardised, local->fit.standardised, 1), 1e-9L);
    EXPECT_GE(f.iterations, 2);
    EXPECT_LE(f.iterations, 8);
    std::printf("[ measure  ] %s: sigma0^2 %.6Lg, largest standardised residual %.3Lg, %d steps\n",
                c.label, f.sigma0Squared, MaxAbs(f.standardised), f.iterations);
}

INSTANTIATE_TEST_SUITE_P(Origins, Adjustment,
                         ::testing::Values(Case{"direct", false, 0, 0, 0},
                                           Case{"inverse", true, 0, 0, 0},
                                           Case{"direct, object 1 km", false, 0, 1e3L, 1e3L},
                                           Case{"inverse, object 1 km", true, 0, 1e3L, 1e3L},
                                           Case{"direct, national grid", false, 0, 1.5e6L, 5e6L},
                                           Case{"inverse, national grid", true, 0, 1.5e6L, 5e6L},
                                           Case{"direct, image 1 km", false, 1e3L, 0, 0},
                                           Case{"inverse, image 1 km", true, 1e3L, 0, 0}));

// The linear estimate stays available unchanged; too few steps are reported.
TEST(AdjustmentOptions, LinearOnlyAndNonConvergence) {
    const auto list = NoisyFacade(12, 0, 0, 0);
    auto linear = std::make_unique<ProjectiveEstimation>();
    auto plain = std::make_unique<ProjectiveEstimation>();
    ASSERT_EQ(AdjustProjective(*list, *linear, {.linearOnly = true}), EstimationStatus::Ok);
    ASSERT_EQ(EstimateProjective(*list, *plain), EstimationStatus::Ok);
    EXPECT_EQ(linear->fit.transform.p, plain->fit.transform.p);
    EXPECT_EQ(linear->fit.residuals, plain->fit.residuals);
    EXPECT_EQ(linear->fit.iterations, 0);

    auto once = std::make_unique<ProjectiveEstimation>();
    EXPECT_EQ(AdjustProjective(*list, *once, {.maxIterations = 1}), EstimationStatus::NotConverged);
    GridCells uni(6, 500), res(7, 500), par(3, 9);
    for (int k = 0; k < 12; ++k) {
        const ControlPoint& q = (*list)[k];
        const long double cells[4] = {q.x, q.y, q.X, q.Y};
        uni.SetCell(0, k + 1, q.Name);
        for (int col = 1; col <= 4; ++col) uni.SetCell(col, k + 1, std::to_string(cells[col - 1]));
    }
    const EstimationOutcome o = ComputeInverseParameters(uni, res, par, {.maxIterations = 1});
    EXPECT_EQ(o.status, EstimationStatus::NotConverged);
    EXPECT_EQ(CountPoints(res), 0);
    EXPECT_EQ(ComputeInverseParameters(uni, res, par).status, EstimationStatus::Ok);
}

}  // namespace

namespace {

// Points seen through a lens about the centre of a 4000 x 3000 photograph;
// with the lens adjusted its k1 comes back, and on data without one k1 and
// k2 stay near 0 and the view is the one adjusted without the lens.
TEST(LensAdjustment, RecoversK1InBothDirections) {
    RadialDistortion truth = RadialDistortion::ForPhoto(4000, 3000);
    for (const long double k1 : {-0.25L, 0.0L}) {
        truth.k1 = k1;
        auto seen = NoisyFacade(40, 0, 0, 0);
        for (int k = 0; k < 40; ++k) {
            ControlPoint& q = (*seen)[k];
            const PlanePoint p = truth.Distort({q.x, q.y});
            q.x = p.x;
            q.y = p.y;
        }
        auto swapped = std::make_unique<ControlPointList>();
        SwapPointRoles(*seen, *swapped);
        for (const bool inverse : {false, true}) {
            SCOPED_TRACE(inverse ? "inverse" : "direct");
            const ControlPointList& list = inverse ? *swapped : *seen;
            AdjustmentOptions o{.radialDistortion = true, .lens = truth, .lensOnOutput = inverse};
            auto e = std::make_unique<ProjectiveEstimation>();
            ASSERT_EQ(AdjustProjective(list, *e, o), EstimationStatus::Ok);
            const ProjectiveFit& f = e->fit;
            EXPECT_NEAR(static_cast<double>(f.lens.k1), static_cast<double>(k1), 0.01);
            EXPECT_GT(f.lensVariance[0], 0);
            auto plain = std::make_unique<ProjectiveEstimation>();
            ASSERT_EQ(AdjustProjective(list, *plain, {}), EstimationStatus::Ok);
            if (k1 == 0) {
                EXPECT_NEAR(static_cast<double>(f.lens.k2), 0, 0.01);
                EXPECT_NEAR(static_cast<double>(f.sigma0Squared / plain->fit.sigma0Squared), 1,
                            0.1);
            } else {
                EXPECT_LT(f.sigma0Squared * 10, plain->fit.sigma0Squared);
            }
            for (int k = 0; k < 40; ++k) {  // residuals of the whole model
                const PlanePoint q = f.Apply(list[k].x, list[k].y).value();
                EXPECT_NEAR(static_cast<double>(q.y - list[k].Y - f.residuals[2 * k + 1]), 0, 1e-6);
            }
            std::printf(
                "[ measure  ] lens k1 %.2Lf, %s: k1 %.4Lf +- %.4Lf, k2 %.4Lf, sigma0^2 "
                "%.6Lg (without the lens %.6Lg), largest standardised %.3Lg / %.3Lg, "
                "%d steps\n",
                k1, inverse ? "inverse" : "direct", f.lens.k1, std::sqrt(f.lensVariance[0]),
                f.lens.k2, f.sigma0Squared, plain->fit.sigma0Squared, MaxAbs(f.standardised),
                MaxAbs(plain->fit.standardised), f.iterations);
        }
        const auto five = NoisyFacade(5, 0, 0, 0);
        auto e = std::make_unique<ProjectiveEstimation>();
        EXPECT_EQ(AdjustProjective(*five, *e, {.radialDistortion = true, .lens = truth}),
                  EstimationStatus::TooFewPointsForLens);
    }
}

}  // namespace
