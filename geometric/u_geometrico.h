// Matrix routines of the geometric method: the determinant and the
// unweighted least-squares solve on SmallMatrix. Failures are reported through
// the matrix error sink (see analytic/u_matrici.h) and the computation goes on.
#pragma once

#include <optional>

#include "analytic/u_matrici.h"

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
};

// Least squares with unit weights for design A (m x u) and observations l
// (m x 1). A and l keep their values (their Names become "A" and "NOT1").
// A normal matrix whose determinant is below 1e-12, or that cannot be
// inverted, reports MatrixErrorText and the solve carries on; the status of
// the inversion is returned.
InversionStatus SolveUnweighted(SmallMatrix& a, SmallMatrix& l, UnweightedSolution& out);
