#include "geometric/u_geometrico.h"

#include <cmath>

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
    if (!det || *det < 1e-12L) ReportMatrixError(MatrixErrorText);

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
