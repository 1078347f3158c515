#include "geometric/u_geometrico.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <memory>

#include "analytic/u_compensazione.h"
#include "platform/fpcheck.h"
#include "tables/u_omnia.h"
#include "tables/u_stringhe.h"

std::optional<long double> Determinant(SmallMatrix& m) {
    const int n = m.Rows;
    if (n < 1) return std::nullopt;
    if (n == 1) return m.Cell[1][1];
    long double d = 1;
    bool singular = false;
    for (int k = 1; k <= n - 1 && !singular; ++k) {
        if (std::fabs(m.Cell[k][k]) < PivotTolerance) {
            singular = true;
            for (int i = k + 1; i <= n; ++i) {
                if (std::fabs(m.Cell[i][k]) > PivotTolerance) {
                    for (int j = 1; j <= SmallMatrix::Bound; ++j)
                        std::swap(m.Cell[i][j], m.Cell[k][j]);
                    singular = false;
                    d = -d;
                    break;
                }
            }
        }
        if (singular) break;
        for (int i = k + 1; i <= n; ++i) {
            if (!(std::fabs(m.Cell[i][k]) > PivotTolerance)) continue;
            const long double f = -m.Cell[i][k] / m.Cell[k][k];
            for (int j = 1; j <= n; ++j) m.Cell[i][j] += f * m.Cell[k][j];
        }
        d *= m.Cell[k][k];
    }
    return singular ? 0 : d * m.Cell[n][n];
}

InversionStatus SolveUnweighted(SmallMatrix& a, SmallMatrix& l, UnweightedSolution& out) {
    a.Name = "A";
    l.Name = "NOT1";
    SmallMatrix at, normal, atl, ax;
    TransposeStep(a, at, "AT");
    ProductStep(at, a, normal, "NORMALE");
    ProductStep(at, l, atl, "ATL");

    SmallMatrix copy = normal;
    const std::optional<long double> det = Determinant(copy);
    out.determinantTooSmall = !det || *det < 1e-12L;
    if (out.determinantTooSmall) ReportMatrixError(MatrixErrorText);

    ZeroMatrix(out.Ninv);
    const InversionStatus status = InvertMatrix(normal, out.Ninv);
    ComputeUnknownsAndResiduals(a, l, out.Ninv, atl, out.x, ax, out.v);

    const int m = out.v.Rows;
    const int u = out.Ninv.Cols;
    long double s = 0;
    if (m != u) {
        long double sum = 0;
        for (int i = 1; i <= m; ++i) sum += out.v.Cell[i][1] * out.v.Cell[i][1];
        s = sum / (m - u);
        if (s < 1e-20L) s = 0;
    }
    out.sigma0Squared = s;
    out.SigmaX = out.Ninv;
    ScaleMatrix(out.SigmaX, s);
    out.SigmaX.Name = "SIGXX";
    return status;
}

// ---- Vanishing points -------------------------------------------------------

LineEquation LineThroughPoints(long double x1, long double y1, long double x2, long double y2) {
    return {y2 - y1, x1 - x2, y1 * (x2 - x1) - x1 * (y2 - y1)};
}

void EquationsFromLines(LineFamily& family) {
    for (int i = 1; i <= family.Count; ++i) {
        const ImageLine& l = family.Line(i);
        family.Equations[i - 1] = LineThroughPoints(l.x1, l.y1, l.x2, l.y2);
    }
}

int CountCompleteLines(const IGrid& lines) {
    int n = 0;
    while (n < MaxLinesPerFamily && !lines.Cell(1, n + 1).empty() && !lines.Cell(4, n + 1).empty())
        ++n;
    return n;
}

LineFamily ReadLineFamily(const IGrid& lines) {
    LineFamily f;
    f.Count = CountCompleteLines(lines);
    for (int r = 1; r <= f.Count; ++r)
        f.Lines[r - 1] = {TextToReal(lines.Cell(1, r)), TextToReal(lines.Cell(2, r)),
                          TextToReal(lines.Cell(3, r)), TextToReal(lines.Cell(4, r))};
    EquationsFromLines(f);
    return f;
}

namespace {

bool Finite(const PlanePoint& p) { return std::isfinite(p.x) && std::isfinite(p.y); }

// The unknowns of an unweighted solve, when it went through cleanly.
bool SolveCleanly(SmallMatrix& a, SmallMatrix& l, UnweightedSolution& out) {
    FpGuard guard;
    const InversionStatus status = SolveUnweighted(a, l, out);
    if (guard.Faulted() || status != InversionStatus::Done || out.determinantTooSmall) return false;
    for (int i = 1; i <= a.Cols; ++i)
        if (!std::isfinite(out.x.Cell[i][1])) return false;
    return true;
}

}  // namespace

std::optional<PlanePoint> FitVanishingPoint(const LineFamily& family) {
    const int n = family.Count;
    auto a = std::make_unique<SmallMatrix>();
    auto l = std::make_unique<SmallMatrix>();
    ZeroMatrix(*a);
    ZeroMatrix(*l);
    a->Name = "coeff";
    a->Rows = n;
    a->Cols = 2;
    l->Name = "noti";
    l->Rows = n;
    l->Cols = 1;
    for (int i = 1; i <= n; ++i) {
        const LineEquation& e = family.Equation(i);
        a->Cell[i][1] = e.a;
        a->Cell[i][2] = e.b;
        l->Cell[i][1] = -e.c;
    }
    auto out = std::make_unique<UnweightedSolution>();
    if (!SolveCleanly(*a, *l, *out)) return std::nullopt;
    return PlanePoint{out->x.Cell[1][1], out->x.Cell[2][1]};
}

std::optional<PlanePoint> IntersectLines(const LineEquation& e2, const LineEquation& e1) {
    // Lines whose normals agree to rounding are parallel: their crossing, if
    // any came out, would be rounding noise.
    const long double cross = e2.a * e1.b - e1.a * e2.b;
    const long double scale = std::fabs(e2.a * e1.b) + std::fabs(e1.a * e2.b);
    if (!(std::fabs(cross) > 64 * LDBL_EPSILON * scale)) return std::nullopt;
    FpGuard guard;
    PlanePoint p;
    if (e2.a != 0) {
        p.y = (e2.c * e1.a / e2.a - e1.c) / (e1.b - e1.a * e2.b / e2.a);
        p.x = -(e2.b / e2.a) * p.y - e2.c / e2.a;
    } else {
        p.y = -e2.c / e2.b;
        p.x = -(e1.b * p.y + e1.c) / e1.a;
    }
    if (guard.Faulted() || !Finite(p)) return std::nullopt;
    return p;
}

namespace {

// The line of the family whose crossing with `across` has the extreme
// coordinate: larger when `largest`, else smaller; ties keep the earlier.
std::optional<int> ExtremeCrossing(const LineFamily& family, const LineEquation& across, bool useY,
                                   bool largest, int* failedLine) {
    int best = 0;
    long double bestValue = 0;
    for (int i = 1; i <= family.Count; ++i) {
        const std::optional<PlanePoint> p = IntersectLines(family.Equation(i), across);
        if (!p) {
            if (failedLine) *failedLine = i;
            return std::nullopt;
        }
        const long double v = useY ? p->y : p->x;
        if (best == 0 || (largest ? v > bestValue : v < bestValue)) {
            best = i;
            bestValue = v;
        }
    }
    if (best == 0) return std::nullopt;
    return best;
}

}  // namespace

std::optional<int> LowestHorizontal(const LineFamily& horizontal, int* failedLine) {
    if (horizontal.Count < 1) return std::nullopt;
    const long double t = (horizontal.Line(1).x1 + horizontal.Line(1).x2) / 2;
    return ExtremeCrossing(horizontal, {1, 0, -t}, true, true, failedLine);
}

std::optional<int> LeftmostVertical(const LineFamily& vertical, int* failedLine) {
    if (vertical.Count < 1) return std::nullopt;
    const long double s = (vertical.Line(1).y1 + vertical.Line(1).y2) / 2;
    return ExtremeCrossing(vertical, {0, 1, -s}, false, false, failedLine);
}

ImageLine OrientedRightwards(const ImageLine& line) {
    if (line.x2 >= line.x1) return line;
    return {line.x2, line.y2, line.x1, line.y1};
}

ImageLine OrientedUpwards(const ImageLine& line) {
    // Rows grow downwards: the upper end has the smaller row.
    if (line.y2 <= line.y1) return line;
    return {line.x2, line.y2, line.x1, line.y1};
}

SquareOutcome BuildReferenceSquare(const LineFamily& horizontal, const LineFamily& vertical,
                                   const PlanePoint& verticalVanishingPoint,
                                   const PlanePoint& horizontalVanishingPoint) {
    SquareOutcome out;
    int failed = 0;
    const std::optional<int> h = LowestHorizontal(horizontal, &failed);
    if (!h) return {SquareFault::HorizontalAlongColumn, failed, 0, {}};
    const std::optional<int> v = LeftmostVertical(vertical, &failed);
    if (!v) return {SquareFault::VerticalAlongRow, failed, 0, {}};
    // The axes point to the picture's right and up whichever end was clicked
    // first: both orders of the two clicks give the same square.
    const ImageLine H = OrientedRightwards(horizontal.Line(*h));
    const ImageLine V = OrientedUpwards(vertical.Line(*v));

    const std::optional<PlanePoint> corner =
        IntersectLines(horizontal.Equation(*h), vertical.Equation(*v));
    if (!corner) return {SquareFault::CornerLinesParallel, *h, *v, {}};
    const LineEquation l1 =
        LineThroughPoints(H.x2, H.y2, verticalVanishingPoint.x, verticalVanishingPoint.y);
    const LineEquation l2 =
        LineThroughPoints(V.x2, V.y2, horizontalVanishingPoint.x, horizontalVanishingPoint.y);
    const std::optional<PlanePoint> far = IntersectLines(l2, l1);
    if (!far) return {SquareFault::FarSidesParallel, *h, *v, {}};

    const long double side = ReferenceSide;
    out.first = *h;
    out.second = *v;
    out.square[0] = {0, 0, corner->x, corner->y};
    out.square[1] = {side, 0, H.x2, H.y2};
    out.square[2] = {side, side, far->x, far->y};
    out.square[3] = {0, side, V.x2, V.y2};
    return out;
}

namespace {

// The eight equations of the four corners: (u, v) is the side that is
// observed through the unknowns, (s, t) the side that is the known term.
std::optional<Projective> SolveSquare(const ReferenceSquare& square, bool direct) {
    auto a = std::make_unique<SmallMatrix>();
    auto l = std::make_unique<SmallMatrix>();
    ZeroMatrix(*a);
    ZeroMatrix(*l);
    a->Name = "DIS";
    a->Rows = 8;
    a->Cols = 8;
    l->Name = "NOTI";
    l->Rows = 8;
    l->Cols = 1;
    for (int k = 1; k <= 4; ++k) {
        const ReferencePoint& p = square[k - 1];
        const long double u = direct ? p.X : p.x, v = direct ? p.Y : p.y;
        const long double s = direct ? p.x : p.X, t = direct ? p.y : p.Y;
        const long double odd[8] = {u, 0, v, 0, 1, 0, -u * s, -v * s};
        const long double even[8] = {0, u, 0, v, 0, 1, -u * t, -v * t};
        for (int j = 1; j <= 8; ++j) {
            a->Cell[2 * k - 1][j] = odd[j - 1];
            a->Cell[2 * k][j] = even[j - 1];
        }
        l->Cell[2 * k - 1][1] = s;
        l->Cell[2 * k][1] = t;
    }
    auto out = std::make_unique<UnweightedSolution>();
    if (!SolveCleanly(*a, *l, *out)) return std::nullopt;
    Projective r;
    for (int i = 0; i < 8; ++i) r.p[i] = out->x.Cell[i + 1][1];
    return r;
}

}  // namespace

std::optional<Projective> SolveDirectGeometric(const ReferenceSquare& square) {
    return SolveSquare(square, true);
}

std::optional<Projective> SolveInverseGeometric(const ReferenceSquare& square) {
    return SolveSquare(square, false);
}

std::optional<PlanePoint> ImageToReference(const ReferenceSquare& square, long long x,
                                           long long y) {
    const std::optional<Projective> inverse = SolveInverseGeometric(square);
    if (!inverse) return std::nullopt;
    return inverse->Apply(static_cast<long double>(x), static_cast<long double>(y));
}

GeometricState& Geometric() {
    static GeometricState state;
    return state;
}

std::optional<PlanePoint> ImageToReference(long long x, long long y) {
    return ImageToReference(Geometric().Square, x, y);
}

// ---- Extent of the resampling area ------------------------------------------

AreaExtent ExtentOfCorners(const std::array<PlanePoint, 4>& c) {
    const auto [minX, maxX] = std::minmax({c[0].x, c[1].x, c[2].x, c[3].x});
    const auto [minY, maxY] = std::minmax({c[0].y, c[1].y, c[2].y, c[3].y});
    return {minX, maxY, maxX, minY};
}

std::optional<AreaExtent> GeometricAreaExtent(const ReferenceSquare& square,
                                              const AreaCorners& corners) {
    const std::optional<Projective> inverse = SolveInverseGeometric(square);
    if (!inverse) return std::nullopt;
    std::array<PlanePoint, 4> mapped;
    for (int i = 0; i < 4; ++i) {
        const std::optional<PlanePoint> p = inverse->Apply(static_cast<long double>(corners.x[i]),
                                                           static_cast<long double>(corners.y[i]));
        if (!p) return std::nullopt;
        mapped[i] = *p;
    }
    return ExtentOfCorners(mapped);
}

AnalyticExtentOutcome AnalyticAreaExtent(const IGrid& uni, IGrid& residuals, IGrid& parameters,
                                         long long imageHeight, const AreaCorners& corners,
                                         const AdjustmentOptions& options) {
    AnalyticExtentOutcome out;
    ClearTable(residuals);
    ClearTable(parameters);
    auto list = std::make_unique<ControlPointList>();
    ReadControlPoints(uni, *list);
    // Every filled row counts, excluded or not, as the list is filled from
    // the front: records past the read ones are empty and stay out.
    const int n = std::min(CountPoints(uni), ControlPointCapacity);
    for (int k = 0; k < n; ++k) (*list)[k].y = static_cast<long double>(imageHeight) - (*list)[k].y;
    auto e = std::make_unique<ProjectiveEstimation>();
    out.status = AdjustProjective(*list, *e, options);
    if (out.status == EstimationStatus::Ok)
        out.status =
            FillEstimationTables(*list, e->fit, residuals, parameters, out.unitVarianceText);
    if (out.status != EstimationStatus::Ok) return out;

    std::array<PlanePoint, 4> mapped;
    for (int i = 0; i < 4; ++i) {  // through the lens too, when it was adjusted
        const std::optional<PlanePoint> p = e->fit.Apply(static_cast<long double>(corners.x[i]),
                                                         static_cast<long double>(corners.y[i]));
        if (!p) {
            ClearTable(residuals);
            ClearTable(parameters);
            out.unitVarianceText.clear();
            out.status = EstimationStatus::FloatingPointFault;
            return out;
        }
        mapped[i] = *p;
    }
    out.extent = ExtentOfCorners(mapped);
    return out;
}
