// The zoom of a picture window: screen pixels per picture pixel, kept as an
// exact fraction so that the rules below never round differently at a pixel
// boundary.
//
// Rule of the pointer: a point s of the zoomed picture (screen pixels from its
// top-left corner) is the picture point s / zoom, and the pointer at screen
// pixel s takes picture pixel floor(s / zoom), the pixel that holds that
// point. At zoom 1 that is s itself; the nearest drawing shows that pixel.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/raster.h"

struct Zoom {
    int num = 1;
    int den = 1;
    bool IsOne() const { return num == den; }
    bool operator==(const Zoom& o) const { return int64_t(num) * o.den == int64_t(o.num) * den; }
    bool operator<(const Zoom& o) const { return int64_t(num) * o.den < int64_t(o.num) * den; }
    double Value() const { return double(num) / den; }
};

// The steps of "Ingrandisci" and "Riduci", from 1/16 to 16.
const std::vector<Zoom>& ZoomSteps();
// The next step above (direction > 0) or below `z`; the last step stays.
Zoom NextZoomStep(Zoom z, int direction);
// The largest zoom at which a w x h picture fits a viewW x viewH view whole;
// never above the last step; 1 when a size is not positive.
Zoom FitZoom(int w, int h, int viewW, int viewH);

// The picture pixel that the pointer at screen pixel `s` takes (the rule
// above); not clamped.
int PixelUnder(int s, Zoom z);
// The screen pixel that holds the centre of picture pixel `p`.
int ScreenOfPixel(int p, Zoom z);
// The screen length of `pixels` picture pixels: floor(pixels x zoom), at
// least 1 for a picture that has pixels.
int ZoomedLength(int pixels, Zoom z);

// A w x h block of the picture shown at zoom `z`, whose top-left is screen
// pixel (sx, sy) of the zoomed picture, each screen pixel the picture pixel
// of the rule above (clamped to the picture), into `out` (stride in pixels).
void RenderNearest(const RasterView& src, Zoom z, int sx, int sy, int w, int h, uint32_t* out,
                   std::ptrdiff_t stride);
