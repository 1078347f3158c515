#include "analytic/u_compensazione.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

#include "platform/fpcheck.h"

namespace {

// The unknowns a of DesignConditioning (centred and turned, before the
// decoupling and the column scaling) from the conditioned unknowns z.
std::array<long double, ProjectiveUnknowns> CentredUnknowns(const DesignConditioning& c,
                                                            const Matrix& z) {
    std::array<long double, ProjectiveUnknowns> a{};
    for (int j = 0; j < ProjectiveUnknowns; ++j)
        a[j] = std::ldexp(z.Cell[j + 1][1], -c.exponent[j]);
    for (int j = 0; j < 6; ++j) a[j] -= c.beta[j][0] * a[6] + c.beta[j][1] * a[7];
    return a;
}

// A row of derivatives with respect to a, turned into one with respect to z
// by the same decoupling and scaling the design matrix went through.
void ToConditioned(const DesignConditioning& c, const long double (&da)[ProjectiveUnknowns],
                   long double* row) {
    for (int j = 0; j < ProjectiveUnknowns; ++j) row[j + 1] = da[j];
    for (int cc = 0; cc < 2; ++cc)
        for (int j = 0; j < 6; ++j) row[7 + cc] -= c.beta[j][cc] * da[j];
    for (int j = 0; j < ProjectiveUnknowns; ++j)
        row[j + 1] = std::ldexp(row[j + 1], -c.exponent[j]);
}

// The lens in the adjustment: off, or k1 and k2 as unknowns 9 and 10 (z
// scaled by 2^-exponent like the design's columns) on one side of the model.
struct LensTerms {
    bool on = false;
    bool onOutput = false;
    RadialDistortion lens;
    int exponent[LensUnknowns] = {0, 0};

    int Unknowns() const { return ProjectiveUnknowns + (on ? LensUnknowns : 0); }
    RadialDistortion At(const Matrix& z) const {
        RadialDistortion d = lens;
        d.k1 = on ? std::ldexp(z.Cell[9][1], -exponent[0]) : 0;
        d.k2 = on ? std::ldexp(z.Cell[10][1], -exponent[1]) : 0;
        return d;
    }
};

// The lens seen from its centre at q (relative): the factor s, and
// beta = 2 (k1 + 2 k2 rho) / h^2, so that d(q s)/dq = s I + beta q q'.
struct RadialState {
    long double rho, s, beta;
    RadialState(const RadialDistortion& d, long double qx, long double qy)
        : rho((qx * qx + qy * qy) / (d.h * d.h)),
          s(d.Factor(rho)),
          beta(2 * (d.k1 + 2 * d.k2 * rho) / (d.h * d.h)) {}
};

// With the centred unknowns the model reads X - X0 = (a1 x~ + a3 y~ + a5) / D,
// D = 1 + a7 along + a8 across = p7 x + p8 y + 1: the Jacobian J (2n x u, in
// z) and the residuals v (2n x 1, computed minus observed) at z. The lens
// moves the input point before the model or the output point after it.
// False where an input point cannot be freed of the lens.
bool Linearise(const ControlPointList& list, int n, const DesignConditioning& c,
               const LensTerms& lt, const Matrix& z, Matrix& jac, Matrix& v) {
    const auto a = CentredUnknowns(c, z);
    const RadialDistortion lens = lt.At(z);
    const long double p7 = c.ux * a[6] - c.uy * a[7], p8 = c.uy * a[6] + c.ux * a[7];
    jac.Rows = v.Rows = 2 * n;
    jac.Cols = lt.Unknowns();
    v.Cols = 1;
    jac.Name = "JACOBIANA";
    v.Name = "RESIDUI";
    for (int k = 1; k <= n; ++k) {
        const ControlPoint& pt = list[k - 1];
        long double px = pt.x, py = pt.y;
        long double du[LensUnknowns][2] = {};  // the input point's derivatives in k1, k2
        if (lt.on && !lt.onOutput) {
            const std::optional<PlanePoint> u = lens.Undistort({px, py});
            if (!u) return false;
            px = u->x;
            py = u->y;
            const long double qx = px - lens.cx, qy = py - lens.cy;
            const RadialState r(lens, qx, qy);
            const long double g = -1 / (r.s + r.beta * (qx * qx + qy * qy));
            du[0][0] = g * qx * r.rho, du[0][1] = g * qy * r.rho;
            du[1][0] = du[0][0] * r.rho, du[1][1] = du[0][1] * r.rho;
        }
        const long double x = px - c.x0, y = py - c.y0;
        const long double along = c.ux * px + c.uy * py;
        const long double across = c.ux * py - c.uy * px;
        const long double d = 1 + a[6] * along + a[7] * across;
        long double fx = (a[0] * x + a[2] * y + a[4]) / d;
        long double fy = (a[1] * x + a[3] * y + a[5]) / d;
        long double dx[ProjectiveUnknowns] = {x / d, 0, y / d,           0,
                                              1 / d, 0, -along * fx / d, -across * fx / d};
        long double dy[ProjectiveUnknowns] = {
            0, x / d, 0, y / d, 0, 1 / d, -along * fy / d, -across * fy / d};
        long double kx[LensUnknowns] = {}, ky[LensUnknowns] = {};
        for (int i = 0; i < LensUnknowns; ++i) {  // through the input point
            kx[i] = ((a[0] - p7 * fx) * du[i][0] + (a[2] - p8 * fx) * du[i][1]) / d;
            ky[i] = ((a[1] - p7 * fy) * du[i][0] + (a[3] - p8 * fy) * du[i][1]) / d;
        }
        if (lt.on && lt.onOutput) {
            const long double qx = fx + c.X0 - lens.cx, qy = fy + c.Y0 - lens.cy;
            const RadialState r(lens, qx, qy);
            const long double m00 = r.s + r.beta * qx * qx, m11 = r.s + r.beta * qy * qy;
            const long double m01 = r.beta * qx * qy;
            for (int j = 0; j < ProjectiveUnknowns; ++j) {
                const long double ex = dx[j], ey = dy[j];
                dx[j] = m00 * ex + m01 * ey;
                dy[j] = m01 * ex + m11 * ey;
            }
            kx[0] = qx * r.rho, kx[1] = kx[0] * r.rho;
            ky[0] = qy * r.rho, ky[1] = ky[0] * r.rho;
            fx = lens.cx - c.X0 + qx * r.s;
            fy = lens.cy - c.Y0 + qy * r.s;
        }
        ToConditioned(c, dx, jac.Cell[2 * k - 1]);
        ToConditioned(c, dy, jac.Cell[2 * k]);
        if (lt.on)
            for (int i = 0; i < LensUnknowns; ++i) {
                jac.Cell[2 * k - 1][9 + i] = std::ldexp(kx[i], -lt.exponent[i]);
                jac.Cell[2 * k][9 + i] = std::ldexp(ky[i], -lt.exponent[i]);
            }
        v.Cell[2 * k - 1][1] = fx - (pt.X - c.X0);
        v.Cell[2 * k][1] = fy - (pt.Y - c.Y0);
    }
    return true;
}

long double LargestElement(const Matrix& m) {
    long double largest = 0;
    for (int i = 1; i <= m.Rows; ++i)
        for (int j = 1; j <= m.Cols; ++j) largest = std::max(largest, std::fabs(m.Cell[i][j]));
    return largest;
}

// N = J'J into n (with J' into jt), inverted into ninv; n is destroyed.
InversionStatus InvertNormal(const Matrix& jac, Matrix& jt, Matrix& n, Matrix& ninv) {
    TransposeStep(jac, jt, "JT");
    ProductStep(jt, jac, n, "NORMALE");
    ZeroMatrix(ninv);
    return InvertMatrix(n, ninv);
}

// The statistics of the final iterate, into e.solved: v, Ninv, sigma0^2,
// Sx = sigma0^2 Ninv, Sv = sigma0^2 (I - J Ninv J') and R.
void FinalStatistics(const Matrix& jac, const Matrix& v, LeastSquaresWork& w,
                     LeastSquaresSolution& s) {
    s.v = v;
    Matrix& ones = w.slot[4];
    IdentityMatrix(ones);
    ones.Rows = ones.Cols = v.Rows;
    s.sigma0Squared = UnitVariance(v, ones, jac.Cols);
    s.SigmaX = s.Ninv;
    ScaleMatrix(s.SigmaX, s.sigma0Squared);
    s.SigmaX.Name = "SIGXX";
    Matrix& jninv = ProductStep(jac, s.Ninv, w.slot[3], "JINVERSA");
    Matrix& hat = ProductStep(jninv, w.slot[2] /* J' */, w.slot[4], "PROIEZIONE");
    ZeroMatrix(s.SigmaV);
    s.SigmaV.Rows = s.SigmaV.Cols = v.Rows;
    s.SigmaV.Name = "SIGVV";
    for (int i = 1; i <= v.Rows; ++i)
        for (int j = 1; j <= v.Rows; ++j)
            s.SigmaV.Cell[i][j] = s.sigma0Squared * ((i == j ? 1 : 0) - hat.Cell[i][j]);
    StandardizeResiduals(s.v, s.SigmaV, s.R);
    s.R.Name = "RESSTAN";
}

}  // namespace

EstimationStatus AdjustProjective(const ControlPointList& list, ProjectiveEstimation& e,
                                  const AdjustmentOptions& options) {
    const int n = CountControlPoints(list);
    const bool lensOn = options.radialDistortion && !options.linearOnly;
    if (lensOn && n >= MinControlPoints && n < MinDistortionPoints)
        return EstimationStatus::TooFewPointsForLens;
    const EstimationStatus linear = EstimateProjective(list, e);
    if (linear != EstimationStatus::Ok || options.linearOnly) return linear;

    FpGuard guard;
    const DesignConditioning& c = e.conditioning;
    LeastSquaresSolution& s = e.solved;
    Matrix &jac = e.work.slot[0], &v = e.work.slot[1], &jt = e.work.slot[2];
    Matrix &scratch = e.work.slot[3], &dz = e.work.slot[4];
    LensTerms lt{lensOn, options.lensOnOutput, options.lens};
    if (lensOn) {  // k1 = k2 = 0 to start, their columns scaled like the others
        s.x.Rows = lt.Unknowns();
        s.x.Cell[9][1] = s.x.Cell[10][1] = 0;
        if (!Linearise(list, n, c, lt, s.x, jac, v)) return EstimationStatus::NotConverged;
        for (int i = 0; i < LensUnknowns; ++i) {
            long double largest = 0;
            for (int r = 1; r <= jac.Rows; ++r)
                largest = std::max(largest, std::fabs(jac.Cell[r][9 + i]));
            lt.exponent[i] = largest > 0 && std::isfinite(largest) ? std::ilogb(largest) : 0;
        }
    }
    long double extent = 0;
    for (int k = 0; k < n; ++k)
        extent = std::max({extent, std::fabs(list[k].X - c.X0), std::fabs(list[k].Y - c.Y0)});
    const long double tolerance = AdjustmentTolerance * extent;

    // Gauss-Newton, its step halved while it fails to lower v'v (a lens far
    // from its start can overshoot into a fold) until the move is negligible.
    const auto sumOfSquares = [&v] {
        long double sum = 0;
        for (int i = 1; i <= v.Rows; ++i) sum += v.Cell[i][1] * v.Cell[i][1];
        return sum;
    };
    if (!Linearise(list, n, c, lt, s.x, jac, v)) return EstimationStatus::NotConverged;
    long double cost = sumOfSquares();
    bool converged = false;
    int steps = 0;
    while (!converged && steps < options.maxIterations) {
        if (InvertNormal(jac, jt, scratch, s.Ninv) != InversionStatus::Done)
            return EstimationStatus::Singular;
        Matrix& g = ProductStep(jt, v, scratch, "JTV");
        ProductStep(s.Ninv, g, dz, "CORREZIONI");
        long double move = LargestElement(ProductStep(jac, dz, scratch, "SPOSTAMENTI"));
        std::array<long double, ProjectiveUnknowns + LensUnknowns> from{};
        for (int i = 1; i <= lt.Unknowns(); ++i) from[i - 1] = s.x.Cell[i][1];
        for (int halvings = 0;; ++halvings) {
            for (int i = 1; i <= lt.Unknowns(); ++i) s.x.Cell[i][1] = from[i - 1] - dz.Cell[i][1];
            if (Linearise(list, n, c, lt, s.x, jac, v)) {
                const long double now = sumOfSquares();
                if (now <= cost * (1 + 1e-9L) || move <= tolerance) {
                    cost = now;
                    break;
                }
            }
            if (halvings == 40) return EstimationStatus::NotConverged;
            ScaleMatrix(dz, 0.5L);
            move /= 2;
        }
        converged = move <= tolerance;
        ++steps;
        if (guard.Faulted()) return EstimationStatus::FloatingPointFault;
    }
    if (!converged) return EstimationStatus::NotConverged;

    if (InvertNormal(jac, jt, scratch, s.Ninv) != InversionStatus::Done)
        return EstimationStatus::Singular;
    FinalStatistics(jac, v, e.work, s);
    if (guard.Faulted() || !SolutionFinite(s, 2 * n, lt.Unknowns()))
        return EstimationStatus::FloatingPointFault;
    if (!(WorstVarianceInflation(jac, s.Ninv) <= MaxVarianceInflation))
        return EstimationStatus::Singular;
    e.fit = FitFromSolution(c, s, 2 * n);
    e.fit.iterations = steps;
    if (lensOn) {
        e.fit.withLens = true;
        e.fit.lensOnOutput = lt.onOutput;
        e.fit.lens = lt.At(s.x);
        for (int i = 0; i < LensUnknowns; ++i)
            e.fit.lensVariance[i] = std::ldexp(s.SigmaX.Cell[9 + i][9 + i], -2 * lt.exponent[i]);
    }
    if (guard.Faulted() || !FitFinite(e.fit)) return EstimationStatus::FloatingPointFault;
    const bool consistent = DenominatorsConsistent(list, n, e.fit.transform);
    if (guard.Faulted()) return EstimationStatus::FloatingPointFault;
    return consistent ? EstimationStatus::Ok : EstimationStatus::Singular;
}
