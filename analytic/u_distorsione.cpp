#include "analytic/u_distorsione.h"

#include <cmath>

RadialDistortion RadialDistortion::ForPhoto(long double width, long double height, bool upward) {
    RadialDistortion d;
    d.cx = (width - 1) / 2;
    d.cy = upward ? height - (height - 1) / 2 : (height - 1) / 2;
    d.h = std::hypot(width, height) / 2;
    return d;
}

PlanePoint RadialDistortion::Distort(PlanePoint q) const {
    const long double dx = q.x - cx, dy = q.y - cy;
    const long double f = Factor((dx * dx + dy * dy) / (h * h));
    return {cx + dx * f, cy + dy * f};
}

std::optional<PlanePoint> RadialDistortion::Undistort(PlanePoint p) const {
    const long double dx = p.x - cx, dy = p.y - cy;
    const long double rho = (dx * dx + dy * dy) / (h * h);
    long double t = 1;
    for (int i = 0; i < 60; ++i) {
        const long double t2rho = t * t * rho;
        const long double g = t * Factor(t2rho) - 1;
        const long double slope = 1 + (3 * k1 + 5 * k2 * t2rho) * t2rho;
        if (!(slope > 0) || !std::isfinite(g)) return std::nullopt;
        const long double step = g / slope;
        t -= step;
        if (std::fabs(step) <= 1e-18L) {
            const PlanePoint q{cx + dx * t, cy + dy * t};
            if (!std::isfinite(q.x) || !std::isfinite(q.y) || !(t > 0)) return std::nullopt;
            return q;
        }
    }
    return std::nullopt;
}

std::optional<PlanePoint> ImageModel::Apply(long double X, long double Y) const {
    const std::optional<PlanePoint> q = projective.Apply(X, Y);
    if (!q || !lens.Active()) return q;
    const PlanePoint p = lens.Distort(*q);
    if (!std::isfinite(p.x) || !std::isfinite(p.y)) return std::nullopt;
    return p;
}
