// Object coordinates back to pixels of the rectified picture, for the marks
// of the DXF point table. Pixel (0, 0) is the top-left pixel, rows grow
// downwards, object Y grows upwards.
#pragma once

#include <optional>
#include <string>

struct PixelPosition {
    int column = 0;
    int row = 0;
};

// The rectified picture's frame as the marks read it: (x0, y0) the object
// coordinates of its lower-left corner, s the object size of one pixel.
struct ObjectFrame {
    long double x0 = 0;
    long double y0 = 0;
    long double pixelX = 1;
    long double pixelY = 1;
};

// Analytic method: x0 = Xin, y0 = Yfin (area window Edit1, Edit4) and the
// scale dialog's pixel size (Edit1), each read with TextToReal.
ObjectFrame AnalyticObjectFrame(const std::string& xin, const std::string& yfin,
                                const std::string& pixelSize);
// Geometric method: the origin (0, 0) and the ratio dialog's pixel size (Edit6).
ObjectFrame GeometricObjectFrame(const std::string& pixelSize);

// column = round(|X − x0| / pixelX), row = height − round(|Y − y0| / pixelY),
// halves to even; a point left of x0 or below y0 lands mirrored. Empty when a
// quotient is not finite (a zero pixel size) or lies beyond a million pixels.
std::optional<PixelPosition> ObjectToPixel(long double x, long double y, const ObjectFrame& frame,
                                           int height);
