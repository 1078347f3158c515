// The plane projective transformation shared by the estimation, the geometric
// parameters, the area extent, the resampling and the rectified window:
//   x = (p1*X + p3*Y + p5) / (p7*X + p8*Y + 1)
//   y = (p2*X + p4*Y + p6) / (p7*X + p8*Y + 1)
// in 80-bit reals. Which plane is "X, Y" and which "x, y" depends on the
// direction it was estimated in (direct: image -> object; inverse: object ->
// image); the type itself does not care.
#pragma once

#include <array>
#include <optional>

#include "platform/igrid.h"

struct PlanePoint {
    long double x = 0;
    long double y = 0;
};

struct Projective {
    // p[0] .. p[7] hold p1 .. p8.
    std::array<long double, 8> p{1, 0, 0, 1, 0, 0, 0, 0};

    static Projective Identity() { return Projective{}; }
    long double P(int i) const { return p[i - 1]; }  // i = 1 .. 8

    // p7*X + p8*Y + 1. Where it is 0 the point maps to infinity.
    long double Denominator(long double X, long double Y) const { return p[6] * X + p[7] * Y + 1; }
    // The mapped point; nullopt when the denominator is 0 or the result is not
    // finite, so no infinity or NaN leaves this function.
    std::optional<PlanePoint> Apply(long double X, long double Y) const;

    // Reads p1 .. p8 from rows 1 .. 8 of the given column of the parameters
    // grid by TextToReal (so an empty or bad cell reads 0).
    static Projective FromGrid(const IGrid& parameters, int col = 1);
};

// Output raster size of a rectification: W columns, H rows, for the area
// X1..X2, Y1..Y2 (object units), pixel size s (object units per pixel before
// the factors) and the axis factors fx, fy. Both dimensions round the absolute
// extent to the nearest integer with ties to even, so limits given in either
// order give the same size. The caller guarantees s != 0, fx != 0, fy != 0.
// A dimension that is not finite or exceeds MaxOutputSide comes back as -1.
constexpr long long MaxOutputSide = 1LL << 30;
struct OutputSize {
    long long W = 0;
    long long H = 0;
};
OutputSize ComputeOutputSize(long double X1, long double Y1, long double X2, long double Y2,
                             long double s, long double fx = 1, long double fy = 1);
