// Pictures shown below their own size: each screen pixel the mean of the
// picture pixels it covers (a box filter with fractional weights at its
// edges), so fine patterns do not alias into moire, read from copies of the
// picture reduced by 2, 4, 8 ... so that a repaint reads about as many
// pixels as it shows.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/raster.h"
#include "platform/zoom.h"

// The 64 x 64 squares of a picture that changed since they were last taken
// into its reduced copies.
class ChangedSquares {
public:
    static constexpr int kSide = 64;
    void Reset(int width, int height);
    void Mark(int x, int y) {
        if (x >= 0 && y >= 0 && x < width_ && y < height_)
            marks_[std::size_t(y / kSide) * across_ + x / kSide] = 1;
    }
    void MarkRect(int x, int y, int w, int h);
    void Merge(const ChangedSquares& other);
    void Clear();
    bool Any() const;
    // Each changed square as a picture rectangle (x, y, w, h), then none.
    template <class F>
    void Take(F&& f) {
        for (std::size_t i = 0; i < marks_.size(); ++i)
            if (marks_[i]) {
                const int x = int(i % across_) * kSide, y = int(i / across_) * kSide;
                f(x, y, std::min(kSide, width_ - x), std::min(kSide, height_ - y));
                marks_[i] = 0;
            }
    }

private:
    std::vector<uint8_t> marks_;
    int width_ = 0, height_ = 0, across_ = 0;
};

class ReducedCopies {
public:
    // Copy k (k = 1, 2, ...) is the picture reduced by 2^k: each pixel the
    // mean of the 2 x 2 pixels of copy k - 1 (of the picture for k = 1); at an
    // odd width or height the last column or row takes the mean of what it
    // covers. Copies stop before the longer side drops under 64. False, and
    // no copies, when memory is short or `cancel` turns true meanwhile.
    bool Build(const RasterView& picture, const std::atomic<bool>* cancel = nullptr);
    int Count() const { return int(copies_.size()); }
    // Copy k, 1 <= k <= Count().
    RasterView Copy(int k) const { return ViewOf(copies_[k - 1]); }
    // Recomputes every copy's pixels that picture rectangle (x, y, w, h)
    // feeds, from the picture as it is now.
    void Update(const RasterView& picture, int x, int y, int w, int h);
    std::size_t Bytes() const;

private:
    std::vector<Raster> copies_;
};

// The w x h block at screen pixel (sx, sy) of a picture shown at zoom z < 1,
// each screen pixel the area mean of the picture square it covers, read
// from `level`, the picture reduced by `factor` (1 for the picture itself),
// into `out` (stride in pixels). Screen pixel s covers picture points
// [s / z, (s + 1) / z), as platform/zoom.h says.
void RenderAreaMean(const RasterView& level, int factor, Zoom z, int sx, int sy, int w, int h,
                    uint32_t* out, std::ptrdiff_t stride);

// The block at zoom z as a window paints it: one picture pixel per screen
// pixel at 1, the nearest pixel above 1, the area mean below 1 from the
// copy with exactly one pixel per screen pixel, else from the copy with
// between two and four across (the plain nearest drawing below 1/2 while
// `copies` holds none).
void RenderZoomed(const RasterView& picture, const ReducedCopies* copies, Zoom z, int sx, int sy,
                  int w, int h, uint32_t* out, std::ptrdiff_t stride);
