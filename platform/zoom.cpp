#include "platform/zoom.h"

#include <algorithm>

namespace {
// floor(a / b) for b > 0.
int64_t FloorDiv(int64_t a, int64_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }
}  // namespace

const std::vector<Zoom>& ZoomSteps() {
    static const std::vector<Zoom> steps = {{1, 16}, {1, 12}, {1, 8},  {1, 6}, {1, 4}, {1, 3},
                                            {1, 2},  {2, 3},  {1, 1},  {2, 1}, {3, 1}, {4, 1},
                                            {6, 1},  {8, 1},  {12, 1}, {16, 1}};
    return steps;
}

Zoom NextZoomStep(Zoom z, int direction) {
    const std::vector<Zoom>& s = ZoomSteps();
    if (direction > 0) {
        for (const Zoom& step : s)
            if (z < step) return step;
        return s.back();
    }
    for (auto it = s.rbegin(); it != s.rend(); ++it)
        if (*it < z) return *it;
    return s.front();
}

Zoom FitZoom(int w, int h, int viewW, int viewH) {
    if (w <= 0 || h <= 0 || viewW <= 0 || viewH <= 0) return {};
    // The smaller of viewW / w and viewH / h.
    const Zoom fit = int64_t(viewW) * h <= int64_t(viewH) * w ? Zoom{viewW, w} : Zoom{viewH, h};
    return std::min(fit, ZoomSteps().back());
}

int PixelUnder(int s, Zoom z) { return int(FloorDiv(int64_t(s) * z.den, z.num)); }

int ScreenOfPixel(int p, Zoom z) {
    return int(FloorDiv((2 * int64_t(p) + 1) * z.num, 2 * int64_t(z.den)));
}

int ZoomedLength(int pixels, Zoom z) {
    if (pixels <= 0) return 0;
    return int(std::max<int64_t>(1, int64_t(pixels) * z.num / z.den));
}

void RenderNearest(const RasterView& src, Zoom z, int sx, int sy, int w, int h, uint32_t* out,
                   std::ptrdiff_t stride) {
    if (!src.pixels || w <= 0 || h <= 0) return;
    std::vector<int> column(w);
    for (int i = 0; i < w; ++i) column[i] = std::clamp(PixelUnder(sx + i, z), 0, src.width - 1);
    for (int j = 0; j < h; ++j) {
        const uint32_t* row = src.Row(std::clamp(PixelUnder(sy + j, z), 0, src.height - 1));
        uint32_t* o = out + j * stride;
        for (int i = 0; i < w; ++i) o[i] = row[column[i]];
    }
}
