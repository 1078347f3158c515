#include "analytic/u_analitico.h"

#include <cmath>
#include <limits>
#include <optional>
#include <vector>

#include "analytic/u_compensazione.h"
#include "platform/fpcheck.h"
#include "tables/u_omnia.h"
#include "tables/u_stringhe.h"

InversionStatus SolveLeastSquares(Matrix& a, Matrix& l, Matrix& p, LeastSquaresSolution& out,
                                  LeastSquaresWork& work) {
    Matrix* slot = work.slot;
    a.Name = "A";
    l.Name = "NOT1";

    Matrix& at = TransposeStep(a, slot[0], "AT");
    Matrix& atp = ProductStep(at, p, slot[1], "ATP");
    Matrix& normal = ProductStep(atp, a, slot[2], "NORMALE");
    Matrix& atpl = ProductStep(atp, l, slot[3], "ATPL");

    ZeroMatrix(out.Ninv);
    InversionStatus status = InvertMatrix(normal, out.Ninv);
    if (status != InversionStatus::Done) return status;

    ComputeUnknownsAndResiduals(a, l, out.Ninv, atpl, out.x, slot[4] /* Ax */, out.v);

    // From here the slots of N (destroyed), A'Pl and Ax are free again.
    Matrix& aninv = ProductStep(a, out.Ninv, slot[2], "AINVERSA");
    TransposeStep(a, at, "AT");
    ProductStep(at, p, atp, "ATPBIS");
    Matrix& aninvatp = ProductStep(aninv, atp, slot[3], "AINVATP");

    // F = -I + A Ninv A'P maps the observations to the residuals.
    Matrix& minusIdentity = slot[4];
    IdentityMatrix(minusIdentity);
    minusIdentity.Rows = p.Cols;
    minusIdentity.Cols = p.Cols;
    ScaleMatrix(minusIdentity, -1.0L);
    Matrix& f = slot[0];
    ZeroMatrix(f);
    AddMatrix(minusIdentity, aninvatp, f);
    f.Name = "F";

    Matrix& pinv = slot[1];
    ZeroMatrix(pinv);
    status = InvertMatrix(p, pinv);
    if (status != InversionStatus::Done) return status;

    const long double s = UnitVariance(out.v, p, a.Cols);
    out.sigma0Squared = s;
    Matrix& sigmaL = pinv;
    ScaleMatrix(sigmaL, s);
    sigmaL.Name = "SIGLL";

    Matrix& fsigmaL = ProductStep(f, sigmaL, slot[2], "FSIGll");
    Matrix& ft = TransposeStep(f, slot[3], "FT");
    ProductStep(fsigmaL, ft, out.SigmaV, "SIGVV");

    StandardizeResiduals(out.v, out.SigmaV, out.R);
    out.R.Name = "RESSTAN";

    out.SigmaX = out.Ninv;
    ScaleMatrix(out.SigmaX, s);
    out.SigmaX.Name = "SIGXX";
    return InversionStatus::Done;
}

void RefineLeastSquares(const Matrix& a, const Matrix& l, const Matrix& p, LeastSquaresSolution& s,
                        LeastSquaresWork& work) {
    Matrix& at = TransposeStep(a, work.slot[0], "AT");
    Matrix& atpv = ProductStep(at, s.v, work.slot[1], "ATV");
    Matrix& dx = ProductStep(s.Ninv, atpv, work.slot[2], "DX");
    for (int i = 1; i <= s.x.Rows; ++i) s.x.Cell[i][1] -= dx.Cell[i][1];
    Matrix& ax = ProductStep(a, s.x, work.slot[3], "NEWNOTI");
    for (int i = 1; i <= l.Rows; ++i) s.v.Cell[i][1] = ax.Cell[i][1] - l.Cell[i][1];

    // Sv is sigma0^2 times a matrix of the design alone: it follows the new
    // unit variance. A unit variance of 0 stays 0 (its Sv is 0 throughout).
    const long double before = s.sigma0Squared;
    if (before == 0) return;
    const long double after = UnitVariance(s.v, p, a.Cols);
    ScaleMatrix(s.SigmaV, after / before);
    s.sigma0Squared = after;
    s.SigmaX = s.Ninv;
    ScaleMatrix(s.SigmaX, after);
    s.SigmaX.Name = "SIGXX";
    StandardizeResiduals(s.v, s.SigmaV, s.R);
    s.R.Name = "RESSTAN";
}

ControlPoint ReadUnionRow(const IGrid& uni, int r) {
    // A cell typed with a decimal comma means what an Italian means.
    auto real = [&uni, r](int c) {
        const std::string text = uni.Cell(c, r);
        return ReadTypedNumber(text).value_or(TextToReal(text));
    };
    return ControlPoint{uni.Cell(0, r), real(1), real(2), real(3), real(4)};
}

int ReadControlPoints(const IGrid& uni, ControlPointList& list) {
    int filled = 0;
    for (int r = 1; !uni.Cell(1, r).empty() && filled < ControlPointCapacity; ++r)
        if (uni.Cell(5, r) != "*") list[filled++] = ReadUnionRow(uni, r);
    return filled;
}

void SwapPointRoles(const ControlPointList& list, ControlPointList& swapped) {
    for (int k = 0; k < MaxAdjustedPoints; ++k) {
        const ControlPoint& in = list[k];
        ControlPoint& out = swapped[k];
        out.Name = in.Name;
        out.x = in.X;
        out.y = in.Y;
        out.X = in.x;
        out.Y = in.y;
    }
}

int CountControlPoints(const ControlPointList& list) {
    int n = 0;
    for (int k = 0; k < MaxAdjustedPoints; ++k)
        if (!list[k].Name.empty()) ++n;
    return n;
}

DesignConditioning CenteredConditioning(const ControlPointList& list, int n) {
    DesignConditioning c;
    for (int k = 0; k < n; ++k) {
        c.x0 += list[k].x;
        c.y0 += list[k].y;
        c.X0 += list[k].X;
        c.Y0 += list[k].Y;
    }
    c.x0 /= n;
    c.y0 /= n;
    c.X0 /= n;
    c.Y0 /= n;
    const long double r = std::hypot(c.x0, c.y0);
    if (r > 0) {
        c.ux = c.x0 / r;
        c.uy = c.y0 / r;
    }
    return c;
}

// With a = (a1 .. a6, along, across) the unknowns before the column scaling:
//   p7 = ux*along - uy*across, p8 = uy*along + ux*across,
//   p1 = a1 + X0*p7, p3 = a3 + X0*p8, p5 = a5 + X0 - a1*x0 - a3*y0,
//   p2 = a2 + Y0*p7, p4 = a4 + Y0*p8, p6 = a6 + Y0 - a2*x0 - a4*y0,
// which turns p1*x + p3*y + p5 - (p7*x + p8*y)*X = X into
// a1*x~ + a3*y~ + a5 - (along*(ux*x + uy*y) + across*(ux*y - uy*x))*X~ = X~
// with x~ = x - x0 and so on, and likewise for Y.
DesignConditioning::Square DesignConditioning::T() const {
    Square t{};
    t[0] = {1, 0, 0, 0, 0, 0, X0 * ux, -X0 * uy};
    t[1] = {0, 1, 0, 0, 0, 0, Y0 * ux, -Y0 * uy};
    t[2] = {0, 0, 1, 0, 0, 0, X0 * uy, X0 * ux};
    t[3] = {0, 0, 0, 1, 0, 0, Y0 * uy, Y0 * ux};
    t[4] = {-x0, 0, -y0, 0, 1, 0, 0, 0};
    t[5] = {0, -x0, 0, -y0, 0, 1, 0, 0};
    t[6] = {0, 0, 0, 0, 0, 0, ux, -uy};
    t[7] = {0, 0, 0, 0, 0, 0, uy, ux};
    // Then a_j = z_j - beta[j][0] z_7 - beta[j][1] z_8 for the affine unknowns.
    for (auto& row : t)
        for (int c = 0; c < 2; ++c)
            for (int j = 0; j < 6; ++j) row[6 + c] -= row[j] * beta[j][c];
    for (auto& row : t)
        for (int j = 0; j < ProjectiveUnknowns; ++j) row[j] = std::ldexp(row[j], -exponent[j]);
    return t;
}

std::array<long double, ProjectiveUnknowns> DesignConditioning::d() const {
    return {0, 0, 0, 0, X0, Y0, 0, 0};
}

void BuildDesignMatrix(const ControlPointList& list, const DesignConditioning& c, Matrix& a,
                       Matrix& l) {
    const int n = CountControlPoints(list);
    a.Rows = 2 * n;
    a.Cols = ProjectiveUnknowns;
    a.Name = "DIS";
    l.Rows = 2 * n;
    l.Cols = 1;
    l.Name = "NOTI";
    for (int k = 1; k <= n; ++k) {
        const ControlPoint& pt = list[k - 1];
        const long double x = pt.x - c.x0, y = pt.y - c.y0, X = pt.X - c.X0, Y = pt.Y - c.Y0;
        const long double along = c.ux * pt.x + c.uy * pt.y;
        const long double across = c.ux * pt.y - c.uy * pt.x;
        long double* rx = a.Cell[2 * k - 1];
        long double* ry = a.Cell[2 * k];
        const long double rowX[ProjectiveUnknowns] = {
            x, 0, y, 0, 1, 0, (along * -1) * X, (across * -1) * X};
        const long double rowY[ProjectiveUnknowns] = {
            0, x, 0, y, 0, 1, (along * -1) * Y, (across * -1) * Y};
        for (int j = 1; j <= ProjectiveUnknowns; ++j) {
            rx[j] = rowX[j - 1];
            ry[j] = rowY[j - 1];
        }
        l.Cell[2 * k - 1][1] = X;
        l.Cell[2 * k][1] = Y;
    }
}

namespace {

// Least-squares multiples b of (x~, y~, 1) fitting column col over the rows
// first, first + 2, ... of a, the affine columns being j0, j0 + 2, j0 + 4.
// False when those three columns are (nearly) dependent.
bool AffineFit(const Matrix& a, int first, int j0, int col, long double b[3]) {
    long double g[3][4] = {};
    for (int i = first; i <= a.Rows; i += 2)
        for (int r = 0; r < 3; ++r) {
            for (int k = 0; k < 3; ++k) g[r][k] += a.Cell[i][j0 + 2 * r] * a.Cell[i][j0 + 2 * k];
            g[r][3] += a.Cell[i][j0 + 2 * r] * a.Cell[i][col];
        }
    const long double scale = std::max({g[0][0], g[1][1], g[2][2]});
    for (int k = 0; k < 3; ++k) {
        int pivot = k;
        for (int r = k + 1; r < 3; ++r)
            if (std::fabs(g[r][k]) > std::fabs(g[pivot][k])) pivot = r;
        std::swap(g[k], g[pivot]);
        if (!(std::fabs(g[k][k]) > 1e-12L * scale)) return false;
        for (int r = k + 1; r < 3; ++r) {
            const long double f = g[r][k] / g[k][k];
            for (int j = k; j < 4; ++j) g[r][j] -= f * g[k][j];
        }
    }
    for (int k = 2; k >= 0; --k) {
        long double sum = g[k][3];
        for (int j = k + 1; j < 3; ++j) sum -= g[k][j] * b[j];
        b[k] = sum / g[k][k];
    }
    return true;
}

long double LargestMagnitude(const Matrix& a, int col) {
    long double largest = 0;
    for (int i = 1; i <= a.Rows; ++i) largest = std::max(largest, std::fabs(a.Cell[i][col]));
    return largest;
}

}  // namespace

void DecoupleDenominatorColumns(Matrix& a, DesignConditioning& c) {
    for (int cc = 0; cc < 2; ++cc) {
        const int col = 7 + cc;
        long double bx[3], by[3];
        if (!AffineFit(a, 1, 1, col, bx) || !AffineFit(a, 2, 2, col, by)) return;
        std::vector<long double> rest(a.Rows + 1);
        for (int i = 1; i <= a.Rows; ++i) {
            const long double* b = i % 2 ? bx : by;
            const int j0 = i % 2 ? 1 : 2;
            rest[i] = a.Cell[i][col] -
                      (b[0] * a.Cell[i][j0] + b[1] * a.Cell[i][j0 + 2] + b[2] * a.Cell[i][j0 + 4]);
        }
        long double largestRest = 0;
        for (int i = 1; i <= a.Rows; ++i) largestRest = std::max(largestRest, std::fabs(rest[i]));
        if (!(largestRest >= std::ldexp(LargestMagnitude(a, col), -40))) continue;
        for (int i = 1; i <= a.Rows; ++i) a.Cell[i][col] = rest[i];
        for (int k = 0; k < 3; ++k) {
            c.beta[2 * k][cc] = bx[k];
            c.beta[2 * k + 1][cc] = by[k];
        }
    }
}

void ScaleDesignColumns(Matrix& a, DesignConditioning& c) {
    for (int j = 1; j <= ProjectiveUnknowns; ++j) {
        long double largest = 0;
        for (int i = 1; i <= a.Rows; ++i) largest = std::max(largest, std::fabs(a.Cell[i][j]));
        const int e = largest > 0 && std::isfinite(largest) ? std::ilogb(largest) : 0;
        c.exponent[j - 1] = e;
        for (int i = 1; i <= a.Rows; ++i) a.Cell[i][j] = std::ldexp(a.Cell[i][j], -e);
    }
}

long double WorstVarianceInflation(const Matrix& a, const Matrix& ninv) {
    long double worst = 0;
    for (int j = 1; j <= a.Cols; ++j) {
        long double njj = 0;
        for (int i = 1; i <= a.Rows; ++i) njj += a.Cell[i][j] * a.Cell[i][j];
        const long double inflation = njj * ninv.Cell[j][j];
        if (!(ninv.Cell[j][j] > 0) || !std::isfinite(inflation))
            return std::numeric_limits<long double>::infinity();
        worst = std::max(worst, inflation);
    }
    return worst;
}

bool DenominatorsConsistent(const ControlPointList& list, int n, const Projective& t) {
    long double smallest = std::numeric_limits<long double>::infinity(), largest = 0;
    int positive = 0;
    for (int k = 0; k < n; ++k) {
        const long double den = t.Denominator(list[k].x, list[k].y);
        if (!std::isfinite(den)) return false;
        if (den > 0) ++positive;
        smallest = std::min(smallest, std::fabs(den));
        largest = std::max(largest, std::fabs(den));
    }
    if (positive != 0 && positive != n) return false;
    return smallest >= MinDenominatorRatio * largest && smallest > 0;
}

bool SolutionFinite(const LeastSquaresSolution& s, int m, int u) {
    for (int i = 1; i <= u; ++i) {
        if (!std::isfinite(s.x.Cell[i][1])) return false;
        if (!AllFinite(&s.Ninv.Cell[i][1], u) || !AllFinite(&s.SigmaX.Cell[i][1], u)) return false;
    }
    for (int i = 1; i <= m; ++i) {
        if (!std::isfinite(s.v.Cell[i][1]) || !std::isfinite(s.R.Cell[i][1])) return false;
        if (!AllFinite(&s.SigmaV.Cell[i][1], m)) return false;
    }
    return std::isfinite(s.sigma0Squared);
}

bool FitFinite(const ProjectiveFit& f) {
    if (!AllFinite(f.transform.p.data(), ProjectiveUnknowns)) return false;
    for (const auto& row : f.covariance)
        if (!AllFinite(row.data(), ProjectiveUnknowns)) return false;
    return true;
}

ProjectiveFit FitFromSolution(const DesignConditioning& c, const LeastSquaresSolution& s, int m) {
    const DesignConditioning::Square t = c.T();
    const auto d = c.d();
    ProjectiveFit f;
    for (int i = 0; i < ProjectiveUnknowns; ++i) {
        long double sum = d[i];
        for (int j = 0; j < ProjectiveUnknowns; ++j) sum += t[i][j] * s.x.Cell[j + 1][1];
        f.transform.p[i] = sum;
    }
    DesignConditioning::Square ts{};  // T Sz
    for (int i = 0; i < ProjectiveUnknowns; ++i)
        for (int j = 0; j < ProjectiveUnknowns; ++j)
            for (int k = 0; k < ProjectiveUnknowns; ++k)
                ts[i][j] += t[i][k] * s.SigmaX.Cell[k + 1][j + 1];
    for (int i = 0; i < ProjectiveUnknowns; ++i)
        for (int j = 0; j < ProjectiveUnknowns; ++j)
            for (int k = 0; k < ProjectiveUnknowns; ++k) f.covariance[i][j] += ts[i][k] * t[j][k];
    for (int i = 1; i <= m; ++i) {
        f.residuals.push_back(s.v.Cell[i][1]);
        f.standardised.push_back(s.R.Cell[i][1]);
    }
    f.sigma0Squared = s.sigma0Squared;
    return f;
}

namespace {

void Clear(ProjectiveEstimation& e) {
    ZeroMatrix(e.A);
    ZeroMatrix(e.l);
    ZeroMatrix(e.P);
    for (Matrix& m : e.work.slot) ZeroMatrix(m);
    LeastSquaresSolution& r = e.solved;
    for (Matrix* m : {&r.x, &r.v, &r.Ninv, &r.SigmaX, &r.R, &r.SigmaV}) ZeroMatrix(*m);
    r.sigma0Squared = 0;
    e.fit = ProjectiveFit{};
}

}  // namespace

EstimationStatus EstimateProjective(const ControlPointList& list, ProjectiveEstimation& e) {
    const int n = CountControlPoints(list);
    if (n < MinControlPoints) return EstimationStatus::TooFewPoints;

    FpGuard guard;
    Clear(e);
    LeastSquaresSolution& r = e.solved;
    e.conditioning = CenteredConditioning(list, n);
    BuildDesignMatrix(list, e.conditioning, e.A, e.l);
    DecoupleDenominatorColumns(e.A, e.conditioning);
    ScaleDesignColumns(e.A, e.conditioning);
    IdentityMatrix(e.P);
    e.P.Rows = 2 * n;
    e.P.Cols = 2 * n;
    e.P.Name = "PESI";
    const InversionStatus status = SolveLeastSquares(e.A, e.l, e.P, r, e.work);
    if (guard.Faulted()) return EstimationStatus::FloatingPointFault;
    if (status != InversionStatus::Done) return EstimationStatus::Singular;
    if (!SolutionFinite(r, 2 * n, ProjectiveUnknowns)) return EstimationStatus::FloatingPointFault;
    const long double inflation = WorstVarianceInflation(e.A, r.Ninv);
    if (guard.Faulted()) return EstimationStatus::FloatingPointFault;
    e.fit = FitFromSolution(e.conditioning, r, 2 * n);  // kept for inspection when refused
    if (!(inflation <= MaxVarianceInflation)) return EstimationStatus::Singular;
    RefineLeastSquares(e.A, e.l, e.P, r, e.work);
    if (guard.Faulted() || !SolutionFinite(r, 2 * n, ProjectiveUnknowns))
        return EstimationStatus::FloatingPointFault;
    e.fit = FitFromSolution(e.conditioning, r, 2 * n);
    if (guard.Faulted() || !FitFinite(e.fit)) return EstimationStatus::FloatingPointFault;
    const bool consistent = DenominatorsConsistent(list, n, e.fit.transform);
    if (guard.Faulted()) return EstimationStatus::FloatingPointFault;
    return consistent ? EstimationStatus::Ok : EstimationStatus::Singular;
}

std::optional<PlanePoint> ProjectiveFit::Apply(long double x, long double y) const {
    if (withLens && !lensOnOutput) {
        const std::optional<PlanePoint> u = lens.Undistort({x, y});
        if (!u) return std::nullopt;
        x = u->x;
        y = u->y;
    }
    const std::optional<PlanePoint> q = transform.Apply(x, y);
    if (!q || !withLens || !lensOnOutput) return q;
    const PlanePoint seen = lens.Distort(*q);
    if (!std::isfinite(seen.x) || !std::isfinite(seen.y)) return std::nullopt;
    return seen;
}

EstimationStatus FillEstimationTables(const ControlPointList& list, const ProjectiveFit& fit,
                                      IGrid& residuals, IGrid& parameters,
                                      std::string& unitVarianceText) {
    std::vector<PlanePoint> rows;
    {
        FpGuard guard;
        for (int k = 1;; ++k) {
            const std::optional<PlanePoint> q = fit.Apply(list[k - 1].x, list[k - 1].y);
            if (!q) return EstimationStatus::FloatingPointFault;
            rows.push_back(*q);
            if (k == MaxAdjustedPoints || list[k].Name.empty()) break;
        }
        if (guard.Faulted()) return EstimationStatus::FloatingPointFault;
    }
    // A nameless first record lets the table run one row past the adjusted
    // points; that row shows no residual.
    const auto at = [](const std::vector<long double>& v, int i) {
        return i < static_cast<int>(v.size()) ? v[i] : 0.0L;
    };
    for (int k = 1; k <= static_cast<int>(rows.size()); ++k) {
        residuals.SetCell(0, k, list[k - 1].Name);
        residuals.SetCell(1, k, FormatFixed(rows[k - 1].x, 10, 3));
        residuals.SetCell(2, k, FormatFixed(rows[k - 1].y, 10, 3));
        residuals.SetCell(3, k, FormatFixed(at(fit.residuals, 2 * k - 2), 15, 3));
        residuals.SetCell(4, k, FormatFixed(at(fit.residuals, 2 * k - 1), 15, 3));
        residuals.SetCell(5, k, FormatFixed(at(fit.standardised, 2 * k - 2), 15, 3));
        residuals.SetCell(6, k, FormatFixed(at(fit.standardised, 2 * k - 1), 15, 3));
    }
    unitVarianceText = FormatFixed(fit.sigma0Squared, 20, 10);
    for (int i = 1; i <= ProjectiveUnknowns; ++i) {
        parameters.SetCell(0, i, std::to_string(i));
        parameters.SetCell(1, i, FormatFixed(fit.transform.P(i), 20, 10));
        parameters.SetCell(2, i, FormatFixed(fit.covariance[i - 1][i - 1], 20, 10));
    }
    if (fit.withLens) {
        const int rows = ProjectiveUnknowns + LensUnknowns;
        if (parameters.RowCount() <= rows) parameters.SetRowCount(rows + 1);
        const long double k[LensUnknowns] = {fit.lens.k1, fit.lens.k2};
        for (int i = 0; i < LensUnknowns; ++i) {
            const int row = ProjectiveUnknowns + 1 + i;
            parameters.SetCell(0, row, "k" + std::to_string(i + 1));
            parameters.SetCell(1, row, FormatFixed(k[i], 20, 10));
            parameters.SetCell(2, row, FormatFixed(fit.lensVariance[i], 20, 10));
        }
    }
    return EstimationStatus::Ok;
}

namespace {

EstimationOutcome ComputeParameters(const IGrid& uni, IGrid& residuals, IGrid& parameters,
                                    bool inverse, const AdjustmentOptions& options) {
    ClearTable(residuals);
    ClearTable(parameters);

    auto list = std::make_unique<ControlPointList>();
    ReadControlPoints(uni, *list);
    if (inverse) {
        auto swapped = std::make_unique<ControlPointList>();
        SwapPointRoles(*list, *swapped);
        list = std::move(swapped);
    }

    auto e = std::make_unique<ProjectiveEstimation>();
    EstimationOutcome outcome;
    AdjustmentOptions o = options;
    o.lensOnOutput = inverse;
    outcome.points = CountControlPoints(*list);
    outcome.status = AdjustProjective(*list, *e, o);
    if (outcome.status != EstimationStatus::Ok) return outcome;
    std::string text;
    outcome.status = FillEstimationTables(*list, e->fit, residuals, parameters, text);
    if (outcome.status != EstimationStatus::Ok) return outcome;

    NormalizeGridDecimals(residuals);
    NormalizeGridDecimals(parameters);
    FitRowCount(residuals);
    outcome.unitVarianceText = text;
    outcome.fit = std::move(e->fit);
    return outcome;
}

}  // namespace

EstimationOutcome ComputeDirectParameters(const IGrid& uni, IGrid& residuals, IGrid& parameters,
                                          const AdjustmentOptions& options) {
    return ComputeParameters(uni, residuals, parameters, false, options);
}

EstimationOutcome ComputeInverseParameters(const IGrid& uni, IGrid& residuals, IGrid& parameters,
                                           const AdjustmentOptions& options) {
    return ComputeParameters(uni, residuals, parameters, true, options);
}
