#include "analytic/u_proiettiva.h"

#include <cmath>

#include "tables/u_stringhe.h"

std::optional<PlanePoint> Projective::Apply(long double X, long double Y) const {
    const long double w = Denominator(X, Y);
    if (w == 0 || !std::isfinite(w)) return std::nullopt;
    const PlanePoint r{(p[0] * X + p[2] * Y + p[4]) / w, (p[1] * X + p[3] * Y + p[5]) / w};
    if (!std::isfinite(r.x) || !std::isfinite(r.y)) return std::nullopt;
    return r;
}

Projective Projective::FromGrid(const IGrid& parameters, int col) {
    Projective t;
    for (int i = 0; i < 8; ++i) t.p[i] = TextToReal(parameters.Cell(col, i + 1));
    return t;
}

namespace {
// nearbyintl rounds half to even under the default rounding mode.
long long RoundedSide(long double extent) {
    const long double r = std::nearbyintl(std::fabs(extent));
    if (!std::isfinite(r) || r > static_cast<long double>(MaxOutputSide)) return -1;
    return static_cast<long long>(r);
}
}  // namespace

OutputSize ComputeOutputSize(long double X1, long double Y1, long double X2, long double Y2,
                             long double s, long double fx, long double fy) {
    return OutputSize{RoundedSide((X2 - X1) / s * fx), RoundedSide((Y2 - Y1) / s * fy)};
}
