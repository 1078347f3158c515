// The geometric method: its matrix routines (the determinant and the
// unweighted least-squares solve on SmallMatrix), the vanishing points of the
// two line families, the transformation between the image and the reference
// square, and the extent of the resampling area for both methods.
// Matrix failures are reported through the matrix error sink (see
// analytic/u_matrici.h) and the computation goes on; the routines here then
// say so in their result.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "analytic/u_analitico.h"
#include "analytic/u_matrici.h"
#include "analytic/u_proiettiva.h"
#include "platform/igrid.h"

// Determinant of M's block of order M.Rows, by elimination on M in place (pass
// a copy). Rows are exchanged only when a pivot falls below PivotTolerance.
// 0 when no usable pivot is found; nullopt when the order is below 1.
std::optional<long double> Determinant(SmallMatrix& m);

struct UnweightedSolution {
    SmallMatrix x;       // "INCOGNIT", the unknowns
    SmallMatrix v;       // "RESIDUI", computed minus observed
    SmallMatrix Ninv;    // "INVERSA"
    SmallMatrix SigmaX;  // "SIGXX" = sigma0Squared * Ninv
    long double sigma0Squared = 0;
    // The determinant test failed (the inversion may still have gone through).
    bool determinantTooSmall = false;
};

// Least squares with unit weights for design A (m x u) and observations l
// (m x 1). A and l keep their values (their Names become "A" and "NOT1").
// A normal matrix whose determinant is below 1e-12, or that cannot be
// inverted, reports MatrixErrorText and the solve carries on; the status of
// the inversion is returned.
InversionStatus SolveUnweighted(SmallMatrix& a, SmallMatrix& l, UnweightedSolution& out);

// ---- Vanishing points and the geometric transformation ---------------------
//
// Image pixels: x is the column from the left, y the row from the top, no
// flip. The reference plane is a square of side ReferenceSide with X to the
// right and Y upwards, each up to its own scale (the ratio dialog fixes both).

constexpr int MaxLinesPerFamily = 10;
constexpr long double ReferenceSide = 10;

struct ImageLine {
    long double x1 = 0, y1 = 0;  // first clicked end
    long double x2 = 0, y2 = 0;  // second clicked end
};

// a*x + b*y + c = 0, not normalised.
struct LineEquation {
    long double a = 0, b = 0, c = 0;
};

// One family of lines (horizontal or vertical on the object), entries 1-based
// through Line() and Equation().
struct LineFamily {
    std::array<ImageLine, MaxLinesPerFamily> Lines{};
    std::array<LineEquation, MaxLinesPerFamily> Equations{};
    int Count = 0;
    const ImageLine& Line(int i) const { return Lines[i - 1]; }
    const LineEquation& Equation(int i) const { return Equations[i - 1]; }
};

// a = y2 - y1, b = x1 - x2, c = y1*(x2 - x1) - x1*(y2 - y1).
LineEquation LineThroughPoints(long double x1, long double y1, long double x2, long double y2);
// Equations 1..Count of the family from its lines.
void EquationsFromLines(LineFamily& family);

// Lines 1.. of a line grid (columns 1..4 = x1, y1, x2, y2) while both column 1
// and column 4 are filled, at most MaxLinesPerFamily: a row whose second end
// is still missing is a line being entered, not a line.
int CountCompleteLines(const IGrid& lines);
// The family read from the grid (CountCompleteLines rows, TextToReal), with
// its equations.
LineFamily ReadLineFamily(const IGrid& lines);

// The point minimising sum (a_i*x + b_i*y + c_i)^2 over the family's
// equations (with two lines, their intersection). nullopt when the normal
// matrix is singular (every line parallel in the image, or fewer than two
// lines) or a result is not finite; the matrix routines have then reported
// MatrixErrorText.
std::optional<PlanePoint> FitVanishingPoint(const LineFamily& family);

// Where e2 meets e1; nullopt when they are parallel (or one is no line) or
// the point is not finite.
std::optional<PlanePoint> IntersectLines(const LineEquation& e2, const LineEquation& e1);

// Index (1-based) of the horizontal line crossing the column through the
// middle of line 1 at the largest row (lowest in the picture); the earlier
// line wins a tie. `failedLine` receives the index of a line that never
// crosses that column (it is vertical in the image); nullopt then.
std::optional<int> LowestHorizontal(const LineFamily& horizontal, int* failedLine = nullptr);
// Index of the vertical line crossing the row through the middle of line 1 at
// the smallest column; the same rules.
std::optional<int> LeftmostVertical(const LineFamily& vertical, int* failedLine = nullptr);

struct ReferencePoint {
    long double X = 0, Y = 0;  // reference plane
    long double x = 0, y = 0;  // image pixels
};
// P1 (0, 0), P2 (10, 0), P3 (10, 10), P4 (0, 10) as P[0] .. P[3].
using ReferenceSquare = std::array<ReferencePoint, 4>;

enum class SquareFault {
    None,
    HorizontalAlongColumn,  // `first` is a horizontal line that is vertical in the image
    VerticalAlongRow,       // `first` is a vertical line that is horizontal in the image
    CornerLinesParallel,    // horizontal `first` and vertical `second` are parallel
    FarSidesParallel,       // the sides through P2 and P4 towards the vanishing points
};

struct SquareOutcome {
    SquareFault fault = SquareFault::None;
    int first = 0, second = 0;  // line indices the fault names
    ReferenceSquare square{};
};

// The line with its ends exchanged where needed so that the second end is
// the one further right in the picture (OrientedRightwards) or higher up,
// at the smaller row (OrientedUpwards). A line already so is returned as is.
ImageLine OrientedRightwards(const ImageLine& line);
ImageLine OrientedUpwards(const ImageLine& line);

// The square from the lowest horizontal H, the leftmost vertical V and the
// vanishing points: P1 = H x V, P2 = the right end of H, P4 = the upper end
// of V, P3 = (P2 towards the vertical vanishing point) x (P4 towards the
// horizontal one). The reference X axis thus points to the picture's right
// and the Y axis up, in whichever order the ends were clicked.
SquareOutcome BuildReferenceSquare(const LineFamily& horizontal, const LineFamily& vertical,
                                   const PlanePoint& verticalVanishingPoint,
                                   const PlanePoint& horizontalVanishingPoint);

// Reference plane -> image (aa1, aa2, bb1, bb2, cc1, cc2, uu, vv as p1..p8),
// and image -> reference plane, from the four corners. nullopt when the
// system is singular (two corners coincide, three are aligned) or a value is
// not finite; the matrix routines have then reported MatrixErrorText.
std::optional<Projective> SolveDirectGeometric(const ReferenceSquare& square);
std::optional<Projective> SolveInverseGeometric(const ReferenceSquare& square);
// The inverse transformation of the square applied to pixel (x, y).
std::optional<PlanePoint> ImageToReference(const ReferenceSquare& square, long long x, long long y);

// The module's state between the commands: the families and vanishing points
// of the last "Calcolo punti di fuga" and the square of the last "Calcolo
// parametri". Plain values, zero at start.
struct GeometricState {
    LineFamily Vertical, Horizontal;
    PlanePoint VerticalVanishingPoint, HorizontalVanishingPoint;
    ReferenceSquare Square{};
};
GeometricState& Geometric();
// ImageToReference on the square of the module's state.
std::optional<PlanePoint> ImageToReference(long long x, long long y);

// ---- Extent of the resampling area -----------------------------------------

// The four clicked corners: x the column, y the ordinate (AnalyticY in the
// analytic method, the plain row in the geometric one).
struct AreaCorners {
    std::array<long long, 4> x{}, y{};
};
// Xin, Yin the corner with the smallest X and the largest Y of the enclosing
// axis-parallel rectangle; Xfin, Yfin the opposite one.
struct AreaExtent {
    long double Xin = 0, Yin = 0, Xfin = 0, Yfin = 0;
};
AreaExtent ExtentOfCorners(const std::array<PlanePoint, 4>& corners);

// Geometric method: the corners through ImageToReference of the square;
// nullopt when one of them cannot be mapped.
std::optional<AreaExtent> GeometricAreaExtent(const ReferenceSquare& square,
                                              const AreaCorners& corners);

struct AnalyticExtentOutcome {
    EstimationStatus status = EstimationStatus::Ok;
    AreaExtent extent;
    std::string unitVarianceText;
};
// Analytic method: empties the residuals and parameters grids, estimates the
// image -> object parameters from the union grid with every image ordinate
// turned into AnalyticY (imageHeight - row), fills both grids from that
// estimation and maps the corners (whose ordinates are AnalyticY already).
// On failure the grids stay empty. FloatingPointFault when a corner maps to
// infinity.
AnalyticExtentOutcome AnalyticAreaExtent(const IGrid& uni, IGrid& residuals, IGrid& parameters,
                                         long long imageHeight, const AreaCorners& corners,
                                         const AdjustmentOptions& options = {});
