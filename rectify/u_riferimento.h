// The rectified picture's frame: where its pixels lie in object coordinates.
// Pixel (0, 0) is the top-left pixel, rows grow downwards, object Y grows
// upwards; s is the object size of one pixel, H the picture's height.
//
// Pixel (x, y) to object, as the pointer readout shows it:
//   analytic:  X = x s + Xin,  Y = Yin − y s      (pixel (0, 0) at Xin, Yin)
//   geometric: X = x s,        Y = (H − y) s      (the lower-left corner at 0, 0)
// Object (X, Y) to pixel, where the DXF points are marked, counted from the
// lower-left corner (x0, y0) = (Xin, Yfin) analytic, (0, 0) geometric:
//   column = round(|X − x0| / s), row = H − round(|Y − y0| / s),
// halves to even; a point left of x0 or below y0 lands mirrored.
#pragma once

#include <optional>

#include "analytic/u_proiettiva.h"

struct PixelPosition {
    int column = 0;
    int row = 0;
};

struct RectifiedFrame {
    bool analytic = false;
    long double pixelSize = 1;
    int height = 0;
    long double xin = 0, yin = 0, yfin = 0;  // the area's corners (analytic)

    PlanePoint ToObject(int x, int y) const;
    // Empty when a quotient is not finite (a zero pixel size) or lies beyond
    // a million pixels.
    std::optional<PixelPosition> ToPixel(long double x, long double y) const;
};

// The analytic frame: the area window's Xin, Yin, Yfin and the scale
// dialog's pixel size.
RectifiedFrame AnalyticRectifiedFrame(long double xin, long double yin, long double yfin,
                                      long double pixelSize, int height);
// The geometric frame: the ratio dialog's pixel size.
RectifiedFrame GeometricRectifiedFrame(long double pixelSize, int height);
