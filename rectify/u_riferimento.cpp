#include "rectify/u_riferimento.h"

#include <cmath>

namespace {

constexpr long double kFarthest = 1e6L;

// Nearest whole number of pixels, halves to even (the default rounding mode);
// empty for a quotient that no picture could hold.
std::optional<long long> RoundedPixels(long double distance, long double pixel) {
    const long double q = std::fabs(distance) / pixel;
    if (!std::isfinite(q) || q > kFarthest) return std::nullopt;
    return static_cast<long long>(std::nearbyintl(q));
}

}  // namespace

PlanePoint RectifiedFrame::ToObject(int x, int y) const {
    if (analytic) return {x * pixelSize + xin, yin - y * pixelSize};
    return {x * pixelSize, (height - y) * pixelSize};
}

std::optional<PixelPosition> RectifiedFrame::ToPixel(long double x, long double y) const {
    const long double x0 = analytic ? xin : 0, y0 = analytic ? yfin : 0;
    const auto column = RoundedPixels(x - x0, pixelSize);
    const auto up = RoundedPixels(y - y0, pixelSize);
    if (!column || !up) return std::nullopt;
    return PixelPosition{static_cast<int>(*column), height - static_cast<int>(*up)};
}

RectifiedFrame AnalyticRectifiedFrame(long double xin, long double yin, long double yfin,
                                      long double pixelSize, int height) {
    return {true, pixelSize, height, xin, yin, yfin};
}

RectifiedFrame GeometricRectifiedFrame(long double pixelSize, int height) {
    return {false, pixelSize, height};
}
