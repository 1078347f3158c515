// Resampling of the photograph into the rectified picture.
//
// Geometry: the output is W x H pixels (the target's size, normally from
// ComputeOutputSize over the same limits and factors). Its pixel (0, 0) lies
// exactly at the upper-left corner of the area, (Xin, Yin) with
// Xin = min(X1, X2) and Yin = max(Y1, Y2): output column c samples the object
// point X = Xin + s*c/fx and output row r samples Y = Yin - s*r/fy (object Y
// grows upwards, output rows downwards). So limits given in either order
// give the same picture. The object point is mapped to the photograph by the
// model (object -> image, x column and y row from the top-left pixel) in
// 80-bit reals, and the colour is taken there:
//   - nearest: xi = trunc(x), +1 when x - xi >= 0.5 (likewise y); 10.5 reads
//     column 11, 10.49 column 10, -0.7 column 0, -1.2 column -1 (outside);
//   - bilinear: xi = trunc(x), a = x - xi (likewise y, b); the neighbours
//     (xi, yi), (xi+1, yi), (xi, yi+1), (xi+1, yi+1) are blended per channel
//     by c00 + (c10-c00)a + (c01-c00)b + (c00-c10-c01+c11)ab, rounded half to
//     even and kept within 0..255. A neighbour outside the photograph is
//     black;
//   - bicubic: xi = floor(x), a = x - xi (likewise y, b); the 4 x 4
//     neighbours xi-1 .. xi+2, yi-1 .. yi+2 are weighted per channel by the
//     cubic convolution kernel with a = -0.5 (weights of a, for xi-1 .. xi+2:
//     (-a^3 + 2a^2 - a)/2, (3a^3 - 5a^2 + 2)/2, (-3a^3 + 4a^2 + a)/2,
//     (a^3 - a^2)/2; likewise b down the rows), rounded half to even and
//     kept within 0..255. A neighbour outside the photograph is black.
// A pixel whose source lies outside the photograph (for bilinear and
// bicubic: all the neighbours), whose model denominator is 0, or whose
// source position is not finite or beyond the integer range, is black
// (0xFF000000).
//
// The neighbourhood chosen is always the one the 80-bit computation selects;
// most pixels are mapped in double precision where an error bound proves the
// same choice, the rest in 80-bit reals. The blends are in float, within one
// level of the exact value.
#pragma once

#include <functional>

#include "analytic/u_proiettiva.h"
#include "platform/raster.h"

enum class Interpolation { Nearest, Bilinear, Bicubic };

struct ResampleGeometry {
    Projective model;    // object -> image
    long double s = 1;   // object units per output pixel, before the factors (not 0)
    long double fx = 1;  // axis factors (not 0)
    long double fy = 1;
    long double X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;  // the area limits, in any order
};

// Called on the caller's thread, a few dozen times a second at most and once
// at the end, with the output rows [firstRow, endRow) finished since the last
// call; together the calls cover 0 .. H in order. The rows reported are final
// and are not written again, so the caller may show them (repaint, progress
// bar) while the work goes on.
using ResampleProgress = std::function<void(int firstRow, int endRow)>;

// Fills every pixel of target (already allocated, 0xFFRRGGBB) from source.
// threads <= 0 uses every core. The floating-point status flags of the
// calling thread are left as they were.
void Resample(const RasterView& source, Raster& target, const ResampleGeometry& geometry,
              Interpolation kind, int threads = 0, const ResampleProgress& progress = {});
