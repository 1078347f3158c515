// Times a 150-point projective estimation (the full extended-precision
// least-squares procedure with residual covariances, on the conditioned
// design, with its refinement step) and, as a baseline on the
// same data, a plain double-precision solve of the 8 x 8 normal equations.
// Then, for object coordinates moved into a national grid, how far the image
// to object fit strays from the local fit moved by the same shift.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>
#include <random>
#include <utility>

#include "analytic/u_analitico.h"
#include "platform/igrid.h"
#include "tables/u_stringhe.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// Direct model (pixels -> metres) of an oblique view of a facade.
const Projective kP{{0.005L, 0.0004L, -0.0003L, 0.0045L, 1.5L, -2.0L, 2e-5L, -1e-5L}};

void MakePoints(ControlPointList& list, int n) {
    std::mt19937_64 gen(2024);
    std::uniform_real_distribution<double> ux(0, 4000), uy(0, 3000);
    std::normal_distribution<double> noise(0, 0.5);
    for (int k = 0; k < n; ++k) {
        const long double x = ux(gen), y = uy(gen);
        const PlanePoint object = kP.Apply(x, y).value();
        ControlPoint& pt = list[k];
        pt.Name = std::to_string(k + 1);
        pt.x = x + noise(gen);
        pt.y = y + noise(gen);
        pt.X = object.x;
        pt.Y = object.y;
    }
}

// Normal equations in double, Gaussian elimination with partial pivoting.
void DoubleNormalSolve(const ControlPointList& list, int n, double p[8]) {
    double N[8][8] = {}, b[8] = {};
    for (int k = 0; k < n; ++k) {
        const double x = static_cast<double>(list[k].x), y = static_cast<double>(list[k].y);
        const double X = static_cast<double>(list[k].X), Y = static_cast<double>(list[k].Y);
        const double rx[8] = {x, 0, y, 0, 1, 0, -x * X, -y * X};
        const double ry[8] = {0, x, 0, y, 0, 1, -x * Y, -y * Y};
        for (int i = 0; i < 8; ++i) {
            b[i] += rx[i] * X + ry[i] * Y;
            for (int j = 0; j < 8; ++j) N[i][j] += rx[i] * rx[j] + ry[i] * ry[j];
        }
    }
    for (int c = 0; c < 8; ++c) {
        int piv = c;
        for (int r = c + 1; r < 8; ++r)
            if (std::fabs(N[r][c]) > std::fabs(N[piv][c])) piv = r;
        for (int j = 0; j < 8; ++j) std::swap(N[c][j], N[piv][j]);
        std::swap(b[c], b[piv]);
        for (int r = c + 1; r < 8; ++r) {
            const double f = N[r][c] / N[c][c];
            for (int j = c; j < 8; ++j) N[r][j] -= f * N[c][j];
            b[r] -= f * b[c];
        }
    }
    for (int i = 7; i >= 0; --i) {
        double s = b[i];
        for (int j = i + 1; j < 8; ++j) s -= N[i][j] * p[j];
        p[i] = s / N[i][i];
    }
}

Projective Fit(const ControlPointList& list) {
    auto e = std::make_unique<ProjectiveEstimation>();
    EstimateProjective(list, *e);
    return e->fit.transform;
}

// Image to object, a shift (X0, Y0) of the object side changes the
// parameters exactly: p1 + X0 p7, p2 + Y0 p7, p3 + X0 p8, p4 + Y0 p8,
// p5 + X0, p6 + Y0, p7, p8. The figure is the largest relative departure.
void PrintNationalGrid(const ControlPointList& local, int n) {
    const Projective q = Fit(local);
    const std::pair<long double, long double> offsets[] = {
        {1e3L, 1e3L}, {1e5L, 1e5L}, {1.5e6L, 5e6L}, {1e7L, 1e7L}};
    for (const auto& [X0, Y0] : offsets) {
        auto moved = std::make_unique<ControlPointList>(local);
        for (int k = 0; k < n; ++k) {
            (*moved)[k].X += X0;
            (*moved)[k].Y += Y0;
        }
        const Projective far = Fit(*moved);
        const auto& p = q.p;
        const long double expected[8] = {p[0] + X0 * p[6],
                                         p[1] + Y0 * p[6],
                                         p[2] + X0 * p[7],
                                         p[3] + Y0 * p[7],
                                         p[4] + X0,
                                         p[5] + Y0,
                                         p[6],
                                         p[7]};
        long double worst = 0;
        for (int i = 0; i < 8; ++i)
            worst = std::max(worst, std::fabs(far.p[i] - expected[i]) /
                                        std::max(std::fabs(expected[i]), 1e-30L));
        std::printf(
            "national grid %.3Lg / %.3Lg: direct parameters against the moved local ones %.3Lg\n",
            X0, Y0, worst);
    }
}

}  // namespace

int main() {
    constexpr int kPoints = 150;
    constexpr int kRuns = 20;
    auto list = std::make_unique<ControlPointList>();
    MakePoints(*list, kPoints);

    // Warm-up, then the timed runs; each run allocates its own workspace, as
    // the estimation commands do.
    long double check = 0;
    {
        auto e = std::make_unique<ProjectiveEstimation>();
        if (EstimateProjective(*list, *e) != EstimationStatus::Ok) {
            std::puts("estimation failed");
            return 1;
        }
    }
    const auto t0 = Clock::now();
    for (int r = 0; r < kRuns; ++r) {
        auto e = std::make_unique<ProjectiveEstimation>();
        EstimateProjective(*list, *e);
        check += e->fit.transform.P(1);
    }
    const double estimateMs = Ms(Clock::now() - t0) / kRuns;

    // The whole command on grids: read the union table, estimate, fill tables.
    GridCells uni(6, 500), res(7, 500), par(3, 9);
    for (int k = 0; k < kPoints; ++k) {
        const ControlPoint& pt = (*list)[k];
        uni.SetCell(0, k + 1, pt.Name);
        uni.SetCell(1, k + 1, FormatFixed(pt.x, 12, 3));
        uni.SetCell(2, k + 1, FormatFixed(pt.y, 12, 3));
        uni.SetCell(3, k + 1, FormatFixed(pt.X, 12, 6));
        uni.SetCell(4, k + 1, FormatFixed(pt.Y, 12, 6));
    }
    const auto t1 = Clock::now();
    for (int r = 0; r < kRuns; ++r) ComputeInverseParameters(uni, res, par);
    const double commandMs = Ms(Clock::now() - t1) / kRuns;

    constexpr int kBaselineRuns = 20000;
    double p8[8] = {};
    double sink = 0;
    const auto t2 = Clock::now();
    for (int r = 0; r < kBaselineRuns; ++r) {
        DoubleNormalSolve(*list, kPoints, p8);
        sink += p8[0];
    }
    const double baselineMs = Ms(Clock::now() - t2) / kBaselineRuns;

    std::printf("points: %d, runs: %d\n", kPoints, kRuns);
    std::printf("extended-precision estimation (with covariances): %.3f ms\n", estimateMs);
    std::printf("inverse-parameters command on grids:              %.3f ms\n", commandMs);
    std::printf("double normal-equation solve (baseline):          %.5f ms\n", baselineMs);
    std::printf("ratio estimation / baseline:                      %.0f\n",
                estimateMs / baselineMs);
    std::printf("p1 from the estimation %.12Lg, from the baseline %.12g\n", check / kRuns, p8[0]);
    std::printf("(baseline checksum %.3g)\n", sink);
    PrintNationalGrid(*list, kPoints);
    return 0;
}
