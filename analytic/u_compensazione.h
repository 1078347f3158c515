// The rigorous adjustment of the plane projective transformation: from the
// linear estimate (EstimateProjective), Gauss-Newton iterations on the model
//   X = (p1*x + p3*y + p5) / (p7*x + p8*y + 1), Y likewise,
// minimise the squares of computed minus observed output coordinates, so the
// residuals are in the observations' units (pixels in the inverse direction,
// metres in the direct one) and the result does not depend on where the
// origin of either coordinate system lies.
#pragma once

#include "analytic/u_analitico.h"

// The iteration has converged when its last correction moves no computed
// coordinate by more than this times the extent of the observations about
// their centre.
constexpr long double AdjustmentTolerance = 1e-12L;

// EstimateProjective, then (unless linearOnly) Gauss-Newton steps in the
// conditioned unknowns of e.conditioning until converged. e.fit then holds
// the parameters, the residuals v (computed minus observed, output units),
// sigma0^2 = v'v / (2n - 8) (0 below 1e-20 or without redundancy), the
// standardised residuals v[i] / sqrt(Sv[i][i]) with Sv = sigma0^2 (I - J N^-1 J')
// and Sp = sigma0^2 N^-1, J and N = J'J taken at the final iterate, and the
// number of steps in e.fit.iterations (0 for the linear estimate).
// With options.radialDistortion, k1 and k2 are unknowns 9 and 10, from 0,
// u = 10, and e.fit carries the lens; TooFewPointsForLens below six points.
// NotConverged when maxIterations steps leave the correction above the
// tolerance (or a point cannot be freed of the lens); Singular and FloatingPointFault as for
// EstimateProjective.
EstimationStatus AdjustProjective(const ControlPointList& list, ProjectiveEstimation& e,
                                  const AdjustmentOptions& options);
