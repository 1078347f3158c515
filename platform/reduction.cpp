#include "platform/reduction.h"

#include <algorithm>

namespace {

constexpr int kSmallestSide = 64;

// Pixel (x, y) of `to` from the pixels of `from` it covers (a 2 x 2 block,
// fewer at an odd far edge).
inline uint32_t HalfPixel(const RasterView& from, int x, int y) {
    const int x0 = 2 * x, y0 = 2 * y;
    const int x1 = std::min(x0 + 1, from.width - 1), y1 = std::min(y0 + 1, from.height - 1);
    const uint32_t a = from.Row(y0)[x0], b = from.Row(y0)[x1], c = from.Row(y1)[x0],
                   d = from.Row(y1)[x1];
    // Both channels of each pair at once: red and blue in one word, green in another.
    const uint32_t rb =
        (a & 0xFF00FF) + (b & 0xFF00FF) + (c & 0xFF00FF) + (d & 0xFF00FF) + 0x020002;
    const uint32_t g = (a & 0xFF00) + (b & 0xFF00) + (c & 0xFF00) + (d & 0xFF00) + 0x200;
    return 0xFF000000u | ((rb >> 2) & 0xFF00FF) | ((g >> 2) & 0xFF00);
}

void HalveInto(const RasterView& from, Raster& to, int x0, int y0, int x1, int y1) {
    for (int y = y0; y < y1; ++y) {
        uint32_t* row = to.Row(y);
        for (int x = x0; x < x1; ++x) row[x] = HalfPixel(from, x, y);
    }
}

// The weights of each screen pixel's box over the source pixels it touches,
// in 1/unit of the whole, summing to unit exactly.
struct Taps {
    std::vector<int> first, count, weights;
    int most = 0;
};

Taps BoxTaps(int64_t start, int n, int64_t num, int64_t den, int limit, int unit) {
    // Screen pixel i covers source [(i) * den / num, (i + 1) * den / num).
    Taps t;
    t.first.resize(n);
    t.count.resize(n);
    for (int i = 0; i < n; ++i) {
        const int64_t a = (start + i) * den, b = (start + i + 1) * den;  // in 1/num source pixels
        const int64_t span = b - a;
        const int c0 = int(a / num), c1 = int((b + num - 1) / num);
        const int lo = std::clamp(c0, 0, limit - 1);
        const int hi = std::clamp(c1, lo + 1, limit);
        t.first[i] = lo;
        t.count[i] = hi - lo;
        t.most = std::max(t.most, hi - lo);
        int cumulative = 0;
        for (int c = lo; c < hi; ++c) {
            const int64_t end = std::clamp<int64_t>(int64_t(c + 1) * num - a, 0, span);
            const int next = c + 1 == hi ? unit : int((end * unit + span / 2) / span);
            t.weights.push_back(next - cumulative);
            cumulative = next;
        }
    }
    return t;
}

}  // namespace

void ChangedSquares::Reset(int width, int height) {
    width_ = std::max(0, width);
    height_ = std::max(0, height);
    across_ = (width_ + kSide - 1) / kSide;
    marks_.assign(std::size_t(across_) * ((height_ + kSide - 1) / kSide), 0);
}

void ChangedSquares::MarkRect(int x, int y, int w, int h) {
    const int x0 = std::max(0, x), y0 = std::max(0, y);
    const int x1 = std::min(width_, x + w), y1 = std::min(height_, y + h);
    for (int sy = y0 / kSide; sy * kSide < y1; ++sy)
        for (int sx = x0 / kSide; sx * kSide < x1; ++sx) marks_[std::size_t(sy) * across_ + sx] = 1;
}

void ChangedSquares::Merge(const ChangedSquares& other) {
    if (other.marks_.size() != marks_.size()) return;
    for (std::size_t i = 0; i < marks_.size(); ++i) marks_[i] |= other.marks_[i];
}

void ChangedSquares::Clear() { std::fill(marks_.begin(), marks_.end(), 0); }

bool ChangedSquares::Any() const {
    return std::any_of(marks_.begin(), marks_.end(), [](uint8_t m) { return m != 0; });
}

bool ReducedCopies::Build(const RasterView& picture, const std::atomic<bool>* cancel) {
    copies_.clear();
    RasterView from = picture;
    while (std::max(from.width, from.height) >= 2 * kSmallestSide) {
        Raster next;
        if (!next.Allocate((from.width + 1) / 2, (from.height + 1) / 2)) {
            copies_.clear();
            return false;
        }
        for (int y = 0; y < next.Height(); y += 64) {
            if (cancel && cancel->load(std::memory_order_relaxed)) {
                copies_.clear();
                return false;
            }
            HalveInto(from, next, 0, y, next.Width(), std::min(next.Height(), y + 64));
        }
        copies_.push_back(std::move(next));
        from = ViewOf(copies_.back());
    }
    return true;
}

void ReducedCopies::Update(const RasterView& picture, int x, int y, int w, int h) {
    RasterView from = picture;
    int x0 = x, y0 = y, x1 = x + w, y1 = y + h;
    for (Raster& copy : copies_) {
        x0 = std::max(0, x0 / 2);
        y0 = std::max(0, y0 / 2);
        x1 = std::min(copy.Width(), (x1 + 1) / 2);
        y1 = std::min(copy.Height(), (y1 + 1) / 2);
        if (x0 >= x1 || y0 >= y1) return;
        HalveInto(from, copy, x0, y0, x1, y1);
        from = ViewOf(copy);
    }
}

std::size_t ReducedCopies::Bytes() const {
    std::size_t n = 0;
    for (const Raster& c : copies_) n += std::size_t(c.Width()) * c.Height() * 4;
    return n;
}

void RenderAreaMean(const RasterView& level, int factor, Zoom z, int sx, int sy, int w, int h,
                    uint32_t* out, std::ptrdiff_t stride) {
    if (!level.pixels || w <= 0 || h <= 0) return;
    // Level pixels per screen pixel: den / (num * factor).
    const int64_t num = int64_t(z.num) * factor, den = z.den;
    const Taps rows = BoxTaps(sy, h, num, den, level.height, 256);
    const Taps cols = BoxTaps(sx, w, num, den, level.width, 1024);
    const int first = cols.first[0], n = cols.first[w - 1] + cols.count[w - 1] - first;
    // A screen row's level rows merged down with weights in 1/256, over the
    // columns the view reads: red and blue in the two halves of one word,
    // green in another, each at most 255 x 256, so no half carries into the
    // next and the loop runs on whole words.
    std::vector<uint32_t> redBlue(n), green(n);
    const int* wy = rows.weights.data();
    for (int j = 0; j < h; ++j) {
        uint32_t* __restrict rb = redBlue.data();
        uint32_t* __restrict g = green.data();
        std::fill(rb, rb + n, 0u);
        std::fill(g, g + n, 0u);
        for (int k = 0; k < rows.count[j]; ++k, ++wy) {
            const uint32_t* __restrict src = level.Row(rows.first[j] + k) + first;
            const uint32_t weight = uint32_t(*wy);
            for (int i = 0; i < n; ++i) {
                rb[i] += (src[i] & 0xFF00FFu) * weight;
                g[i] += ((src[i] >> 8) & 0xFFu) * weight;
            }
        }
        // Then across with weights in 1/1024: at most 255 x 2^18 a channel.
        const int* wx = cols.weights.data();
        uint32_t* o = out + j * stride;
        for (int i = 0; i < w; ++i) {
            const int at = cols.first[i] - first;
            uint32_t red = 0, gr = 0, blue = 0;
            for (int k = 0; k < cols.count[i]; ++k, ++wx) {
                const uint32_t weight = uint32_t(*wx);
                red += (rb[at + k] >> 16) * weight;
                blue += (rb[at + k] & 0xFFFFu) * weight;
                gr += g[at + k] * weight;
            }
            constexpr uint32_t kHalf = 1u << 17;
            o[i] = 0xFF000000u | std::min((red + kHalf) >> 18, 255u) << 16 |
                   std::min((gr + kHalf) >> 18, 255u) << 8 | std::min((blue + kHalf) >> 18, 255u);
        }
    }
}

void RenderZoomed(const RasterView& picture, const ReducedCopies* copies, Zoom z, int sx, int sy,
                  int w, int h, uint32_t* out, std::ptrdiff_t stride) {
    if (!(z < Zoom{})) {
        RenderNearest(picture, z, sx, sy, w, h, out, stride);
        return;
    }
    // The coarsest copy reduced by f with z * f still at most 1; unless z * f
    // is exactly 1, one copy finer, so that the screen pixels' edges cut
    // copy pixels of half the size (partly covered copy pixels are where the
    // copies' mean differs from the exact one).
    int k = 0;
    const int available = copies ? copies->Count() : 0;
    while (k < available && !(Zoom{1, 1} < Zoom{z.num * (2 << k), z.den})) ++k;
    if (k > 0 && !(Zoom{z.num << k, z.den} == Zoom{1, 1})) --k;
    if (available == 0 && z < Zoom{1, 2}) {
        RenderNearest(picture, z, sx, sy, w, h, out, stride);
        return;
    }
    const RasterView level = k == 0 ? picture : copies->Copy(k);
    if (Zoom{z.num << k, z.den} == Zoom{1, 1})  // one copy pixel a screen pixel
        RenderNearest(level, Zoom{}, sx, sy, w, h, out, stride);
    else
        RenderAreaMean(level, 1 << k, z, sx, sy, w, h, out, stride);
}
