#include "analytic/u_analitico.h"

#include <cmath>
#include <limits>
#include <vector>

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

int ReadControlPoints(const IGrid& uni, ControlPointList& list) {
    int filled = 0;
    for (int r = 1; !uni.Cell(1, r).empty() && filled < ControlPointCapacity; ++r) {
        if (uni.Cell(5, r) == "*") continue;
        ControlPoint& pt = list[filled++];
        pt.Name = uni.Cell(0, r);
        pt.x = TextToReal(uni.Cell(1, r));
        pt.y = TextToReal(uni.Cell(2, r));
        pt.X = TextToReal(uni.Cell(3, r));
        pt.Y = TextToReal(uni.Cell(4, r));
    }
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

void BuildDesignMatrix(const ControlPointList& list, Matrix& a, Matrix& l) {
    const int n = CountControlPoints(list);
    a.Rows = 2 * n;
    a.Cols = ProjectiveUnknowns;
    a.Name = "DIS";
    l.Rows = 2 * n;
    l.Cols = 1;
    l.Name = "NOTI";
    for (int k = 1; k <= n; ++k) {
        const ControlPoint& pt = list[k - 1];
        const long double x = pt.x, y = pt.y, X = pt.X, Y = pt.Y;
        long double* rx = a.Cell[2 * k - 1];
        long double* ry = a.Cell[2 * k];
        const long double rowX[ProjectiveUnknowns] = {x, 0, y, 0, 1, 0, (x * -1) * X, (y * -1) * X};
        const long double rowY[ProjectiveUnknowns] = {0, x, 0, y, 0, 1, (x * -1) * Y, (y * -1) * Y};
        for (int j = 1; j <= ProjectiveUnknowns; ++j) {
            rx[j] = rowX[j - 1];
            ry[j] = rowY[j - 1];
        }
        l.Cell[2 * k - 1][1] = X;
        l.Cell[2 * k][1] = Y;
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

bool DenominatorsConsistent(const ControlPointList& list, int n, const Matrix& x) {
    const long double p7 = x.Cell[7][1], p8 = x.Cell[8][1];
    long double smallest = std::numeric_limits<long double>::infinity(), largest = 0;
    int positive = 0;
    for (int k = 0; k < n; ++k) {
        const long double den = p7 * list[k].x + p8 * list[k].y + 1;
        if (!std::isfinite(den)) return false;
        if (den > 0) ++positive;
        smallest = std::min(smallest, std::fabs(den));
        largest = std::max(largest, std::fabs(den));
    }
    if (positive != 0 && positive != n) return false;
    return smallest >= MinDenominatorRatio * largest && smallest > 0;
}

namespace {

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

}  // namespace

EstimationStatus EstimateProjective(const ControlPointList& list, ProjectiveEstimation& e) {
    const int n = CountControlPoints(list);
    if (n < MinControlPoints) return EstimationStatus::TooFewPoints;

    FpGuard guard;
    ZeroMatrix(e.A);
    ZeroMatrix(e.l);
    ZeroMatrix(e.P);
    for (Matrix& m : e.work.slot) ZeroMatrix(m);
    LeastSquaresSolution& r = e.result;
    for (Matrix* m : {&r.x, &r.v, &r.Ninv, &r.SigmaX, &r.R, &r.SigmaV}) ZeroMatrix(*m);
    r.sigma0Squared = 0;

    BuildDesignMatrix(list, e.A, e.l);
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
    if (!(inflation <= MaxVarianceInflation)) return EstimationStatus::Singular;
    const bool consistent = DenominatorsConsistent(list, n, r.x);
    if (guard.Faulted()) return EstimationStatus::FloatingPointFault;
    return consistent ? EstimationStatus::Ok : EstimationStatus::Singular;
}

EstimationStatus FillEstimationTables(const ControlPointList& list, const ProjectiveEstimation& e,
                                      IGrid& residuals, IGrid& parameters,
                                      std::string& unitVarianceText) {
    const LeastSquaresSolution& r = e.result;
    const auto par = [&r](int i) { return r.x.Cell[i][1]; };

    struct ResidualRow {
        long double X, Y;
    };
    std::vector<ResidualRow> rows;
    {
        FpGuard guard;
        for (int k = 1;; ++k) {
            const ControlPoint& pt = list[k - 1];
            const long double den = par(7) * pt.x + par(8) * pt.y + 1;
            const long double X = (par(1) * pt.x + par(3) * pt.y + par(5)) / den;
            const long double Y = (par(2) * pt.x + par(4) * pt.y + par(6)) / den;
            rows.push_back({X, Y});
            if (k == MaxAdjustedPoints || list[k].Name.empty()) break;
        }
        if (guard.Faulted()) return EstimationStatus::FloatingPointFault;
        for (const ResidualRow& row : rows)
            if (!std::isfinite(row.X) || !std::isfinite(row.Y))
                return EstimationStatus::FloatingPointFault;
    }

    for (int k = 1; k <= static_cast<int>(rows.size()); ++k) {
        residuals.SetCell(0, k, list[k - 1].Name);
        residuals.SetCell(1, k, FormatFixed(rows[k - 1].X, 10, 3));
        residuals.SetCell(2, k, FormatFixed(rows[k - 1].Y, 10, 3));
        residuals.SetCell(3, k, FormatFixed(r.v.Cell[2 * k - 1][1], 15, 3));
        residuals.SetCell(4, k, FormatFixed(r.v.Cell[2 * k][1], 15, 3));
        residuals.SetCell(5, k, FormatFixed(r.R.Cell[2 * k - 1][1], 15, 3));
        residuals.SetCell(6, k, FormatFixed(r.R.Cell[2 * k][1], 15, 3));
    }
    unitVarianceText = FormatFixed(r.sigma0Squared, 20, 10);
    for (int i = 1; i <= ProjectiveUnknowns; ++i) {
        parameters.SetCell(0, i, std::to_string(i));
        parameters.SetCell(1, i, FormatFixed(par(i), 20, 10));
        parameters.SetCell(2, i, FormatFixed(r.SigmaX.Cell[i][i], 20, 10));
    }
    return EstimationStatus::Ok;
}

namespace {

EstimationOutcome ComputeParameters(const IGrid& uni, IGrid& residuals, IGrid& parameters,
                                    Matrix& p, bool inverse) {
    ClearTable(residuals);
    ClearTable(parameters);
    ZeroMatrix(p);
    p.Rows = 0;
    p.Cols = 0;

    auto list = std::make_unique<ControlPointList>();
    ReadControlPoints(uni, *list);
    if (inverse) {
        auto swapped = std::make_unique<ControlPointList>();
        SwapPointRoles(*list, *swapped);
        list = std::move(swapped);
    }

    auto e = std::make_unique<ProjectiveEstimation>();
    EstimationOutcome outcome;
    outcome.status = EstimateProjective(*list, *e);
    if (outcome.status != EstimationStatus::Ok) return outcome;
    std::string text;
    outcome.status = FillEstimationTables(*list, *e, residuals, parameters, text);
    if (outcome.status != EstimationStatus::Ok) return outcome;

    NormalizeGridDecimals(residuals);
    NormalizeGridDecimals(parameters);
    FitRowCount(residuals);
    outcome.unitVarianceText = text;
    p = e->result.x;
    return outcome;
}

}  // namespace

EstimationOutcome ComputeDirectParameters(const IGrid& uni, IGrid& residuals, IGrid& parameters,
                                          Matrix& p) {
    return ComputeParameters(uni, residuals, parameters, p, false);
}

EstimationOutcome ComputeInverseParameters(const IGrid& uni, IGrid& residuals, IGrid& parameters,
                                           Matrix& p) {
    return ComputeParameters(uni, residuals, parameters, p, true);
}
