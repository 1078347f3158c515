// An object -> image transformation whose object coordinates move by
// (X0, Y0): the same mapping of the shifted points, written again with the
// constant term of its denominator 1.
#pragma once

#include "analytic/u_proiettiva.h"

inline Projective ShiftInput(const Projective& t, long double X0, long double Y0) {
    const auto& q = t.p;
    const long double w = 1 - q[6] * X0 - q[7] * Y0;
    return Projective{{q[0] / w, q[1] / w, q[2] / w, q[3] / w, (q[4] - q[0] * X0 - q[2] * Y0) / w,
                       (q[5] - q[1] * X0 - q[3] * Y0) / w, q[6] / w, q[7] / w}};
}
