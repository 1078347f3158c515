// Least-squares estimation of the plane projective transformation
//   X = (p1*x + p3*y + p5) / (p7*x + p8*y + 1)
//   Y = (p2*x + p4*y + p6) / (p7*x + p8*y + 1)
// from the control points of the union table, in the direct direction (image
// column and row -> object X, Y) or the inverse one (object -> image), and the
// filling of the residuals and parameters tables with its results.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "analytic/u_distorsione.h"
#include "analytic/u_matrici.h"
#include "analytic/u_proiettiva.h"
#include "platform/igrid.h"

constexpr int ControlPointCapacity = 500;  // records a list can hold
constexpr int MaxAdjustedPoints = 150;     // records that enter the adjustment
constexpr int ProjectiveUnknowns = 8;
constexpr int MinControlPoints = 4;
constexpr int LensUnknowns = 2;         // k1, k2
constexpr int MinDistortionPoints = 6;  // control points the lens needs

// A normal matrix is treated as singular when, for some unknown,
// N[i][i] * Ninv[i][i] exceeds this: that unknown is then so nearly a
// linear combination of the others that fewer than about four of the 19
// digits of the 80-bit reals survive in it (a singular N computes to 1e17 and
// more). The product is 1 for an unknown independent of the others and does
// not change when the columns are rescaled. Both this test and the pivot
// tolerance of the inversion are taken on the conditioned design (see
// DesignConditioning), whose columns have their largest element in [1, 2).
constexpr long double MaxVarianceInflation = 1e15L;

// Three collinear points among four do not make N singular: the linearised
// equations then have a unique solution, a degenerate transformation that
// sends the collinear points (or all but one) to 0/0. Every control point lies
// on the photographed plane, on one side of the line the transformation sends
// to infinity, so the denominators p7*x + p8*y + 1 of the adjusted points must
// share one sign, and none may be smaller than this times the largest.
constexpr long double MinDenominatorRatio = 1e-6L;

struct ControlPoint {
    std::string Name;
    long double x = 0;  // input side
    long double y = 0;
    long double X = 0;  // output side
    long double Y = 0;
};

// Record k of the list (k = 1 .. 500) is element k - 1.
using ControlPointList = std::array<ControlPoint, ControlPointCapacity>;

// Outputs of SolveLeastSquares.
struct LeastSquaresSolution {
    Matrix x;       // "INCOGNIT": the unknowns
    Matrix v;       // "RESIDUI": computed minus observed
    Matrix Ninv;    // "INVERSA"
    Matrix SigmaX;  // "SIGXX" = sigma0Squared * Ninv
    Matrix R;       // "RESSTAN": standardised residuals
    Matrix SigmaV;  // "SIGVV": variance-covariance of the residuals
    long double sigma0Squared = 0;
};

// Scratch matrices of one solve; each slot serves several steps in turn.
struct LeastSquaresWork {
    Matrix slot[5];
};

// Weighted least squares for design A (m x u), observations l (m x 1) and
// weights P (m x m). A and l keep their values (their Names become "A" and
// "NOT1"); P is destroyed (replaced by its reduced form). Returns the status
// of the normal matrix inversion (then of P's); out is complete only on Done.
InversionStatus SolveLeastSquares(Matrix& a, Matrix& l, Matrix& p, LeastSquaresSolution& out,
                                  LeastSquaresWork& work);

// The exact change of unknowns p = T z + d under which the design matrix has
// well-scaled columns, whatever the origin of either coordinate system:
//  - both sides are centred on the mean of the points (x0, y0 input side,
//    X0, Y0 output side); the output centre is an exact shift of the
//    parameters, the input centre folds x0, y0 into p5, p6;
//  - the denominator's coefficients (p7, p8) are turned to lie along and
//    across the input centre (ux, uy): far from the origin the columns of p7
//    and p8 are otherwise nearly parallel;
//  - the affine part of those two columns is taken out
//    (DecoupleDenominatorColumns), which a view with little perspective needs;
//  - every column is scaled by a power of two, which is exact.
// Residuals, unit variance and standardised residuals are the same for both
// sets of unknowns; the parameters map back by p = T z + d, their
// variance-covariance by T Sz T'. The default value is the neutral change
// (T = I, d = 0), under which the design is the textbook one.
struct DesignConditioning {
    long double x0 = 0, y0 = 0, X0 = 0, Y0 = 0;
    long double ux = 1, uy = 0;
    // beta[j][c]: the multiple of column j + 1 (an affine one, j < 6) taken
    // out of denominator column 7 + c by DecoupleDenominatorColumns.
    std::array<std::array<long double, 2>, 6> beta{};
    std::array<int, ProjectiveUnknowns> exponent{};  // column j scaled by 2^-exponent[j]

    // T (8 x 8, row i gives p(i+1)) and d.
    using Square = std::array<std::array<long double, ProjectiveUnknowns>, ProjectiveUnknowns>;
    Square T() const;
    std::array<long double, ProjectiveUnknowns> d() const;
};

// Centres and direction from the first n records (n >= 1); exponents 0.
DesignConditioning CenteredConditioning(const ControlPointList& list, int n);

// The estimated transformation and its statistics, in p1 .. p8.
struct ProjectiveFit {
    Projective transform;
    DesignConditioning::Square covariance{};  // Sp = sigma0Squared * Ninv
    std::vector<long double> residuals;       // v, computed minus observed: 2k-2, 2k-1 for point k
    std::vector<long double> standardised;    // R, in the same order
    long double sigma0Squared = 0;
    int unknowns = ProjectiveUnknowns;  // the redundancy is 2n - unknowns
    int iterations = 0;                 // Gauss-Newton steps taken; 0 for the linear estimate
    // With the lens adjusted: its k1, k2 and their variances, and the side it
    // sits on (output: object -> image; input: image -> object).
    bool withLens = false;
    bool lensOnOutput = false;
    RadialDistortion lens{};
    std::array<long double, LensUnknowns> lensVariance{};

    // The fitted model at an input point: the projective part alone, or with
    // the lens on its side. nullopt where it has no finite value.
    std::optional<PlanePoint> Apply(long double x, long double y) const;
};

// One step of iterative refinement of a solution of SolveLeastSquares with
// unit weights, on the same a and l and the P the solve left (only its
// diagonal is read, for the unit variance): x -= Ninv A' v, then v = Ax - l,
// the unit variance, Sx, Sv (which scales with the unit variance) and R anew. Where
// the normal matrix is ill-conditioned the solve leaves the last digits of x
// uncertain; the residuals, small beside the observations, would show them.
// The step brings x to the least-squares solution to working precision.
void RefineLeastSquares(const Matrix& a, const Matrix& l, const Matrix& p, LeastSquaresSolution& s,
                        LeastSquaresWork& work);

// Everything one estimation works on: about 20 MB, so make it with
// std::make_unique and keep it for the duration of the estimation.
struct ProjectiveEstimation {
    Matrix A;  // "DIS", the design matrix in the conditioned unknowns z
    Matrix l;  // "NOTI", the observations less the output centre
    Matrix P;  // "PESI", the weights (destroyed by the solve)
    LeastSquaresWork work;
    DesignConditioning conditioning;
    LeastSquaresSolution solved;  // in z: solved.x holds z, solved.Ninv is (A'A)^-1 of z
    ProjectiveFit fit;            // mapped back to p1 .. p8
};

enum class EstimationStatus {
    Ok,
    TooFewPoints,
    Singular,
    FloatingPointFault,
    NotConverged,
    TooFewPointsForLens
};

constexpr int MaxAdjustmentIterations = 20;

// How the commands estimate: by the iterated adjustment (the default) or by
// the linear estimate alone, residuals of the linearised equations included,
// exactly as before the iteration existed.
// With radialDistortion, k1 and k2 of the lens (centre and half diagonal as
// given, its k ignored) join the iterated adjustment; the lens sits on the
// image side, the output in the inverse direction (lensOnOutput, set by the
// commands) and the input in the direct one.
struct AdjustmentOptions {
    bool linearOnly = false;
    int maxIterations = MaxAdjustmentIterations;
    bool radialDistortion = false;
    RadialDistortion lens{};
    bool lensOnOutput = false;
};

// Visits rows 1, 2, ... of the union grid while column 1 is not empty; a row
// whose column 5 is exactly "*" is skipped, every other fills the next record
// (name from column 0, x, y, X, Y from columns 1..4 by TextToReal). Reading
// stops when the list is full. Returns the number of records filled.
int ReadControlPoints(const IGrid& uni, ControlPointList& list);

// Row r of the union grid as a record: name, x, y, X, Y.
ControlPoint ReadUnionRow(const IGrid& uni, int r);

// The first 150 records with x, y and X, Y exchanged.
void SwapPointRoles(const ControlPointList& list, ControlPointList& swapped);

// Records among the first 150 whose name is not empty.
int CountControlPoints(const ControlPointList& list);

// With n = CountControlPoints: A (2n x 8, "DIS") and l (2n x 1, "NOTI") from
// the first n records, the two linearised observation equations per point,
// written in the unknowns of c (centred, turned; the column scaling is left to
// ScaleDesignColumns). With the neutral c, row 2k-1 is
// [x, 0, y, 0, 1, 0, -x*X, -y*X] with l = X, row 2k the same for Y.
void BuildDesignMatrix(const ControlPointList& list, const DesignConditioning& c, Matrix& a,
                       Matrix& l);

// Takes out of the two denominator columns (7, 8) their least-squares fit by
// the affine columns of the same rows (1, 3, 5 on the X rows; 2, 4, 6 on the
// Y rows), recording the multiples in c.beta. For a nearly affine view far
// from the input origin those columns are otherwise almost a combination of
// the affine ones. A column whose remainder is below 2^-40 of its size, and
// every column when the input points are collinear, is left as it is, so a
// singular layout stays singular instead of showing its rounding.
void DecoupleDenominatorColumns(Matrix& a, DesignConditioning& c);

// Scales every column of A by the power of two that brings its largest
// magnitude into [1, 2), recording the exponents in c.
void ScaleDesignColumns(Matrix& a, DesignConditioning& c);

// N[i][i] * Ninv[i][i] at its worst over the unknowns, with N = A'A taken
// from the design matrix (the solve destroys its own copy of N). Infinite when
// an inverse diagonal element is not positive.
long double WorstVarianceInflation(const Matrix& a, const Matrix& ninv);

// True when the denominators of the first n records under t share one sign
// and none is below MinDenominatorRatio times the largest.
bool DenominatorsConsistent(const ControlPointList& list, int n, const Projective& t);

// The fit in p1 .. p8 from a solution in the conditioned unknowns of c, m
// observations: p = T z + d, Sp = T Sz T'; residuals and their statistics
// carry over.
ProjectiveFit FitFromSolution(const DesignConditioning& c, const LeastSquaresSolution& s, int m);

// Every element of the solution's blocks (u unknowns, m observations) finite.
bool SolutionFinite(const LeastSquaresSolution& s, int m, int u);
bool FitFinite(const ProjectiveFit& f);

// Builds the conditioned A, l and unit weights from the list, solves, and
// maps the solution back into e.fit. TooFewPoints when fewer than four named
// records are among the first 150 (nothing is solved); Singular when the
// inversion of the conditioned normal matrix fails, that matrix is singular
// relative to its own scale (MaxVarianceInflation) or the transformation
// found is degenerate (DenominatorsConsistent fails); FloatingPointFault when a division by zero,
// invalid operation or overflow happened or a result is not finite. The
// results are meaningful only with Ok.
EstimationStatus EstimateProjective(const ControlPointList& list, ProjectiveEstimation& e);

// Writes the residuals grid (row k per adjusted record k, until record k+1
// has no name or k = 150), the parameters grid (rows 1..8: number, pi and its
// variance) and gives the unit variance text. Every value is computed before
// anything is written: a fault in the model evaluation (denominator 0) returns
// FloatingPointFault and leaves the grids and the text as they were.
EstimationStatus FillEstimationTables(const ControlPointList& list, const ProjectiveFit& fit,
                                      IGrid& residuals, IGrid& parameters,
                                      std::string& unitVarianceText);

struct EstimationOutcome {
    EstimationStatus status = EstimationStatus::Ok;
    int points = 0;                // the points adjusted (or too few for the lens)
    std::string unitVarianceText;  // sigma0 squared, fixed with 10 decimals; empty on failure
    ProjectiveFit fit;             // meaningful only with Ok
};

// The whole command on the grids: empty both tables, read the union grid,
// adjust (direct: image -> object; inverse: object -> image), fill both
// tables, normalise their decimals and fit the residuals' row count. The
// transformation and its statistics come back in the outcome. On any failure
// both tables stay empty.
EstimationOutcome ComputeDirectParameters(const IGrid& uni, IGrid& residuals, IGrid& parameters,
                                          const AdjustmentOptions& options = {});
EstimationOutcome ComputeInverseParameters(const IGrid& uni, IGrid& residuals, IGrid& parameters,
                                           const AdjustmentOptions& options = {});
