// Dense matrices of 80-bit reals with fixed bounds, and the elementary
// routines both least-squares procedures are built from.
//
// A FixedMatrix<N> always holds its full N x N array; only the block
// Cell[1..Rows][1..Cols] is meaningful. Cells are addressed 1-based, as the
// algorithms are written: row 0 and column 0 of the array exist but are never
// used. Every routine that produces a matrix, except the transpose and the
// identity, leaves all elements outside the logical block at 0.
//
// Two families share these templates: Matrix (300 x 300, the projective
// estimation) and SmallMatrix (20 x 20, vanishing points and geometric
// parameters). The only behavioural difference is that a failed inversion of
// the small family is also reported through the matrix error sink.
//
// A Matrix is about 1.45 MB: allocate it on the heap (std::make_unique), never
// as a local variable.
#pragma once

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <utility>

template <int N>
struct FixedMatrix {
    static constexpr int Bound = N;
    std::string Name;
    std::int32_t Rows = 0;
    std::int32_t Cols = 0;
    long double Cell[N + 1][N + 1];  // Cell[i][j], i and j in 1..N
};

using Matrix = FixedMatrix<300>;
using SmallMatrix = FixedMatrix<20>;

// Absolute tolerance of the pivot and elimination tests.
constexpr long double PivotTolerance = 1e-10L;

enum class InversionStatus { Done = 0, OrderBelowOne = 1, Singular = 2 };

// Text the small family reports when an inversion or its determinant test fails.
inline constexpr char MatrixErrorText[] = "Si è verificato un errore!";

// Where the small family's failures go (the main window shows them in its
// status bar). By default nothing happens; an empty function restores that.
void SetMatrixErrorSink(std::function<void(const std::string&)> sink);
void ReportMatrixError(const std::string& text);

template <int N>
struct MatrixFamily {
    static constexpr bool ReportsErrors = false;
};
template <>
struct MatrixFamily<20> {
    static constexpr bool ReportsErrors = true;
};

// Every element of the whole array becomes 0; Name, Rows and Cols unchanged.
template <int N>
void ZeroMatrix(FixedMatrix<N>& m) {
    std::memset(static_cast<void*>(m.Cell), 0, sizeof m.Cell);
}

// Rows Rows+1..N (all columns) and columns Cols+1..N (all rows) become 0.
template <int N>
void ClearOutside(FixedMatrix<N>& m) {
    const int rows = std::clamp<int>(m.Rows, 0, N);
    const int cols = std::clamp<int>(m.Cols, 0, N);
    // Rows below the block are one contiguous run of the array.
    if (rows < N)
        std::memset(static_cast<void*>(&m.Cell[rows + 1][0]), 0,
                    sizeof(long double) * (N + 1) * (N - rows));
    for (int i = 1; i <= rows; ++i)
        std::memset(static_cast<void*>(&m.Cell[i][cols + 1]), 0, sizeof(long double) * (N - cols));
}

// Zero, empty Name, Cell[i][i] = 1 for every i of the bound. Rows and Cols are
// left to the caller.
template <int N>
void IdentityMatrix(FixedMatrix<N>& m) {
    ZeroMatrix(m);
    m.Name.clear();
    for (int i = 1; i <= N; ++i) m.Cell[i][i] = 1;
}

template <int N>
void ScaleMatrix(FixedMatrix<N>& m, long double s) {
    for (int i = 1; i <= m.Rows; ++i)
        for (int j = 1; j <= m.Cols; ++j) m.Cell[i][j] *= s;
    ClearOutside(m);
}

// C = A + B over A's block, labelled "SOMMA".
template <int N>
void AddMatrix(const FixedMatrix<N>& a, const FixedMatrix<N>& b, FixedMatrix<N>& c) {
    const int rows = a.Rows, cols = a.Cols;
    c.Name = "SOMMA";
    c.Rows = rows;
    c.Cols = cols;
    for (int i = 1; i <= rows; ++i)
        for (int j = 1; j <= cols; ++j) c.Cell[i][j] = a.Cell[i][j] + b.Cell[i][j];
    ClearOutside(c);
}

namespace matrix_detail {

// C[i][j] for every i and four columns j0..j0+3: each sum starts at 0 and adds
// A[i][k]*B[k][j] for k = 1, 2, ... in order, exactly as the textbook triple
// loop does, so the result is bit-identical to it. The four sums are separate
// variables so that they stay in the FPU registers, and the four-column strip
// of B (one cache line per row) stays in cache while the rows of A go by.
template <int N>
void MultiplyStrip4(const FixedMatrix<N>& a, const FixedMatrix<N>& b, FixedMatrix<N>& c, int j0,
                    int rows, int inner) {
    for (int i = 1; i <= rows; ++i) {
        const long double* ai = a.Cell[i];
        long double s0 = 0, s1 = 0, s2 = 0, s3 = 0;
        for (int k = 1; k <= inner; ++k) {
            const long double aik = ai[k];
            const long double* bk = &b.Cell[k][j0];
            s0 += aik * bk[0];
            s1 += aik * bk[1];
            s2 += aik * bk[2];
            s3 += aik * bk[3];
        }
        long double* ci = &c.Cell[i][j0];
        ci[0] = s0;
        ci[1] = s1;
        ci[2] = s2;
        ci[3] = s3;
    }
}

template <int N>
void MultiplyColumn(const FixedMatrix<N>& a, const FixedMatrix<N>& b, FixedMatrix<N>& c, int j,
                    int rows, int inner) {
    for (int i = 1; i <= rows; ++i) {
        const long double* ai = a.Cell[i];
        long double s = 0;
        for (int k = 1; k <= inner; ++k) s += ai[k] * b.Cell[k][j];
        c.Cell[i][j] = s;
    }
}

}  // namespace matrix_detail

// C = A * B, labelled "PRODOTTO"; C[i][j] sums A[i][k]*B[k][j] for k = 1 ..
// A.Cols in k order from 0. A.Cols must equal B.Rows (not checked); C must be a
// third matrix.
template <int N>
void MultiplyMatrix(const FixedMatrix<N>& a, const FixedMatrix<N>& b, FixedMatrix<N>& c) {
    assert(&c != &a && &c != &b);
    const int rows = a.Rows, cols = b.Cols, inner = a.Cols;
    c.Name = "PRODOTTO";
    c.Rows = rows;
    c.Cols = cols;
    int j = 1;
    for (; j + 3 <= cols; j += 4) matrix_detail::MultiplyStrip4(a, b, c, j, rows, inner);
    for (; j <= cols; ++j) matrix_detail::MultiplyColumn(a, b, c, j, rows, inner);
    ClearOutside(c);
}

// B[j][i] = A[i][j], B.Rows = A.Cols, B.Cols = A.Rows, labelled "TRASP".
// Elements of B outside the block are not touched: pass a zeroed B.
template <int N>
void TransposeMatrix(const FixedMatrix<N>& a, FixedMatrix<N>& b) {
    assert(&a != &b);
    b.Rows = a.Cols;
    b.Cols = a.Rows;
    b.Name = "TRASP";
    for (int i = 1; i <= a.Rows; ++i)
        for (int j = 1; j <= a.Cols; ++j) b.Cell[j][i] = a.Cell[i][j];
}

namespace matrix_detail {

template <int N>
void SwapRows(FixedMatrix<N>& m, int r1, int r2) {
    for (int j = 1; j <= N; ++j) std::swap(m.Cell[r1][j], m.Cell[r2][j]);
}

}  // namespace matrix_detail

// Gauss-Jordan inversion of A's block of order n = A.Rows into B (labelled
// "INVERSA", Rows and Cols taken from A). Rows are exchanged only when a pivot
// falls below PivotTolerance, with the first row below whose element exceeds
// it. A is destroyed: its block ends as the reduced matrix. OrderBelowOne
// leaves B's elements untouched; on Singular B holds no inverse.
template <int N>
InversionStatus InvertMatrix(FixedMatrix<N>& a, FixedMatrix<N>& b) {
    assert(&a != &b);
    const int n = a.Rows;
    b.Rows = a.Rows;
    b.Cols = a.Cols;
    b.Name = "INVERSA";
    InversionStatus status = InversionStatus::Done;
    if (n < 1) {
        status = InversionStatus::OrderBelowOne;
    } else {
        ZeroMatrix(b);
        for (int i = 1; i <= n; ++i) b.Cell[i][i] = 1;
        if (n == 1) {
            if (std::fabs(a.Cell[1][1]) < PivotTolerance)
                status = InversionStatus::Singular;
            else
                b.Cell[1][1] = 1 / a.Cell[1][1];
        } else {
            for (int k = 1; k <= n && status == InversionStatus::Done; ++k) {
                if (std::fabs(a.Cell[k][k]) < PivotTolerance) {
                    status = InversionStatus::Singular;
                    for (int i = k + 1; i <= n; ++i) {
                        if (std::fabs(a.Cell[i][k]) > PivotTolerance) {
                            matrix_detail::SwapRows(a, i, k);
                            matrix_detail::SwapRows(b, i, k);
                            status = InversionStatus::Done;
                            break;
                        }
                    }
                }
                if (status != InversionStatus::Done) break;
                long double* ak = a.Cell[k];
                long double* bk = b.Cell[k];
                const long double p = ak[k];
                for (int j = 1; j <= n; ++j) ak[j] /= p;
                for (int j = 1; j <= n; ++j) bk[j] /= p;
                for (int r = 1; r <= n; ++r) {
                    if (r == k) continue;
                    const long double c = a.Cell[r][k];
                    if (!(std::fabs(c) > PivotTolerance)) continue;
                    const long double f = -c / ak[k];
                    long double* ar = a.Cell[r];
                    long double* br = b.Cell[r];
                    for (int j = 1; j <= n; ++j) ar[j] += f * ak[j];
                    for (int j = 1; j <= n; ++j) br[j] += f * bk[j];
                }
            }
        }
        ClearOutside(b);
    }
    if constexpr (MatrixFamily<N>::ReportsErrors) {
        if (status != InversionStatus::Done) ReportMatrixError(MatrixErrorText);
    }
    return status;
}

// Variance of unit weight of residuals v (column vector, m rows) with weights
// P (only its diagonal is used) and u unknowns: 0 when m = u, else
// sum(v[i]^2 * P[i][i]) / (m - u), and 0 when that is below 1e-20.
template <int N>
long double UnitVariance(const FixedMatrix<N>& v, const FixedMatrix<N>& p, int u) {
    const int m = v.Rows;
    const int r = m - u;
    if (r == 0) return 0;
    long double sum = 0;
    for (int i = 1; i <= m; ++i) sum += v.Cell[i][1] * v.Cell[i][1] * p.Cell[i][i];
    const long double s = sum / r;
    return s < 1e-20L ? 0 : s;
}

// R[i] = v[i] / sqrt(S[i][i]), or 0 where S[i][i] is 0. R is zeroed first
// and becomes a column vector of v.Rows; its Name is the caller's.
// A variance cannot be negative: a negative S[i][i] is the rounding residue
// of a zero variance (a point that fully determines its own fit), so it too
// gives 0 instead of the square root of a negative number.
template <int N>
void StandardizeResiduals(const FixedMatrix<N>& v, const FixedMatrix<N>& s, FixedMatrix<N>& r) {
    assert(&r != &v && &r != &s);
    ZeroMatrix(r);
    r.Rows = v.Rows;
    r.Cols = 1;
    for (int i = 1; i <= v.Rows; ++i) {
        const long double sii = s.Cell[i][i];
        r.Cell[i][1] = sii > 0 ? v.Cell[i][1] / std::sqrt(sii) : 0;
    }
}

// One step of a least-squares procedure: c := a * b (resp. b := a'), the
// result zeroed first and labelled with the step's name.
template <int N>
FixedMatrix<N>& ProductStep(const FixedMatrix<N>& a, const FixedMatrix<N>& b, FixedMatrix<N>& c,
                            const char* name) {
    ZeroMatrix(c);
    MultiplyMatrix(a, b, c);
    c.Name = name;
    return c;
}

template <int N>
FixedMatrix<N>& TransposeStep(const FixedMatrix<N>& a, FixedMatrix<N>& b, const char* name) {
    ZeroMatrix(b);
    TransposeMatrix(a, b);
    b.Name = name;
    return b;
}

// The step both least-squares procedures share once the normal matrix is
// inverted: x = Ninv * rhs ("INCOGNIT", rhs being A'Pl or A'l), Ax = A * x
// ("NEWNOTI") and the residuals v = Ax - l ("RESIDUI"), computed minus
// observed. l is negated for the sum and negated again, which restores it
// exactly. x, ax and v are zeroed before use and must be distinct from the
// inputs.
template <int N>
void ComputeUnknownsAndResiduals(const FixedMatrix<N>& a, FixedMatrix<N>& l,
                                 const FixedMatrix<N>& ninv, const FixedMatrix<N>& rhs,
                                 FixedMatrix<N>& x, FixedMatrix<N>& ax, FixedMatrix<N>& v) {
    ProductStep(ninv, rhs, x, "INCOGNIT");
    ProductStep(a, x, ax, "NEWNOTI");
    ScaleMatrix(l, -1.0L);
    ZeroMatrix(v);
    AddMatrix(ax, l, v);
    ScaleMatrix(l, -1.0L);
    v.Name = "RESIDUI";
}
