// Radial lens distortion about the photograph's centre. An image point q of
// the plane projective model is seen at
//   c + (q - c) * (1 + k1 r^2 + k2 r^4),   r = |q - c| / h,
// with c the photograph's centre and h half its diagonal, so that k1 and k2
// are dimensionless and of the same size whatever the photograph's size
// (k1 < 0: barrel, the corners drawn inwards). k1 = k2 = 0 is no distortion.
#pragma once

#include <optional>

#include "analytic/u_proiettiva.h"

struct RadialDistortion {
    long double cx = 0, cy = 0;  // the centre, in the image coordinates of the model
    long double h = 1;           // half the diagonal, pixels (> 0)
    long double k1 = 0, k2 = 0;

    // The centre and half diagonal of a width x height photograph, pixel
    // centres at whole coordinates (column 0 is x = 0): c = ((W-1)/2, (H-1)/2).
    // With upward ordinates (AnalyticY = H - row) the centre's ordinate is
    // H - (H-1)/2 instead.
    static RadialDistortion ForPhoto(long double width, long double height, bool upward = false);

    bool Active() const { return k1 != 0 || k2 != 0; }
    // 1 + k1 r^2 + k2 r^4 for rho = r^2.
    long double Factor(long double rho) const { return 1 + (k1 + k2 * rho) * rho; }
    // Where the model point q is seen.
    PlanePoint Distort(PlanePoint q) const;
    // The model point seen at p: the root of t * Factor(t^2 rho) = 1 along
    // the ray from the centre (Newton from t = 1). nullopt where there is none
    // with a positive slope (beyond the fold of a strong distortion) or the
    // result is not finite.
    std::optional<PlanePoint> Undistort(PlanePoint p) const;
};

// The object -> image model of a rectification: the projective part, then
// the lens.
struct ImageModel {
    Projective projective;
    RadialDistortion lens;
    // The image point of an object point; nullopt as Projective::Apply.
    std::optional<PlanePoint> Apply(long double X, long double Y) const;
};
