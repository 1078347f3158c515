#include "analytic/u_compensazione.h"

#include <algorithm>
#include <cmath>

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

// With the centred unknowns the model reads X - X0 = (a1 x~ + a3 y~ + a5) / D,
// D = 1 + a7 along + a8 across = p7 x + p8 y + 1: the Jacobian J (2n x 8, in
// z) and the residuals v (2n x 1, computed minus observed) at z.
void Linearise(const ControlPointList& list, int n, const DesignConditioning& c, const Matrix& z,
               Matrix& jac, Matrix& v) {
    const auto a = CentredUnknowns(c, z);
    jac.Rows = v.Rows = 2 * n;
    jac.Cols = ProjectiveUnknowns;
    v.Cols = 1;
    jac.Name = "JACOBIANA";
    v.Name = "RESIDUI";
    for (int k = 1; k <= n; ++k) {
        const ControlPoint& pt = list[k - 1];
        const long double x = pt.x - c.x0, y = pt.y - c.y0;
        const long double along = c.ux * pt.x + c.uy * pt.y;
        const long double across = c.ux * pt.y - c.uy * pt.x;
        const long double d = 1 + a[6] * along + a[7] * across;
        const long double fx = (a[0] * x + a[2] * y + a[4]) / d;
        const long double fy = (a[1] * x + a[3] * y + a[5]) / d;
        const long double dx[ProjectiveUnknowns] = {x / d, 0, y / d,           0,
                                                    1 / d, 0, -along * fx / d, -across * fx / d};
        const long double dy[ProjectiveUnknowns] = {
            0, x / d, 0, y / d, 0, 1 / d, -along * fy / d, -across * fy / d};
        ToConditioned(c, dx, jac.Cell[2 * k - 1]);
        ToConditioned(c, dy, jac.Cell[2 * k]);
        v.Cell[2 * k - 1][1] = fx - (pt.X - c.X0);
        v.Cell[2 * k][1] = fy - (pt.Y - c.Y0);
    }
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
    const EstimationStatus linear = EstimateProjective(list, e);
    if (linear != EstimationStatus::Ok || options.linearOnly) return linear;

    FpGuard guard;
    const int n = CountControlPoints(list);
    const DesignConditioning& c = e.conditioning;
    LeastSquaresSolution& s = e.solved;
    Matrix &jac = e.work.slot[0], &v = e.work.slot[1], &jt = e.work.slot[2];
    Matrix &scratch = e.work.slot[3], &dz = e.work.slot[4];
    long double extent = 0;
    for (int k = 0; k < n; ++k)
        extent = std::max({extent, std::fabs(list[k].X - c.X0), std::fabs(list[k].Y - c.Y0)});
    const long double tolerance = AdjustmentTolerance * extent;

    bool converged = false;
    int steps = 0;
    while (!converged && steps < options.maxIterations) {
        Linearise(list, n, c, s.x, jac, v);
        if (InvertNormal(jac, jt, scratch, s.Ninv) != InversionStatus::Done)
            return EstimationStatus::Singular;
        Matrix& g = ProductStep(jt, v, scratch, "JTV");
        ProductStep(s.Ninv, g, dz, "CORREZIONI");
        for (int i = 1; i <= ProjectiveUnknowns; ++i) s.x.Cell[i][1] -= dz.Cell[i][1];
        converged = LargestElement(ProductStep(jac, dz, scratch, "SPOSTAMENTI")) <= tolerance;
        ++steps;
        if (guard.Faulted()) return EstimationStatus::FloatingPointFault;
    }
    if (!converged) return EstimationStatus::NotConverged;

    Linearise(list, n, c, s.x, jac, v);
    if (InvertNormal(jac, jt, scratch, s.Ninv) != InversionStatus::Done)
        return EstimationStatus::Singular;
    FinalStatistics(jac, v, e.work, s);
    if (guard.Faulted() || !SolutionFinite(s, 2 * n, ProjectiveUnknowns))
        return EstimationStatus::FloatingPointFault;
    if (!(WorstVarianceInflation(jac, s.Ninv) <= MaxVarianceInflation))
        return EstimationStatus::Singular;
    e.fit = FitFromSolution(c, s, 2 * n);
    e.fit.iterations = steps;
    if (guard.Faulted() || !FitFinite(e.fit)) return EstimationStatus::FloatingPointFault;
    const bool consistent = DenominatorsConsistent(list, n, e.fit.transform);
    if (guard.Faulted()) return EstimationStatus::FloatingPointFault;
    return consistent ? EstimationStatus::Ok : EstimationStatus::Singular;
}
