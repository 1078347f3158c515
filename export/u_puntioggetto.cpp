#include "export/u_puntioggetto.h"

#include <cmath>

#include "tables/u_stringhe.h"

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

ObjectFrame AnalyticObjectFrame(const std::string& xin, const std::string& yfin,
                                const std::string& pixelSize) {
    const long double s = TextToReal(pixelSize);
    return {TextToReal(xin), TextToReal(yfin), s, s};
}

ObjectFrame GeometricObjectFrame(const std::string& pixelSize) {
    const long double s = TextToReal(pixelSize);
    return {0, 0, s, s};
}

std::optional<PixelPosition> ObjectToPixel(long double x, long double y, const ObjectFrame& frame,
                                           int height) {
    const auto column = RoundedPixels(x - frame.x0, frame.pixelX);
    const auto up = RoundedPixels(y - frame.y0, frame.pixelY);
    if (!column || !up) return std::nullopt;
    return PixelPosition{static_cast<int>(*column), height - static_cast<int>(*up)};
}
