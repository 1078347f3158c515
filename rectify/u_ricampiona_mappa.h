// Where the output pixels of one row read the photograph: the position part
// of the resampling engine (u_ricampiona.h states the geometry and rules).
#pragma once

#include <climits>
#include <cstdint>

#include "rectify/u_ricampiona.h"

// The choices of up to kSize consecutive output pixels of a row. ix, iy: the
// source pixel (nearest), the upper-left neighbour (bilinear) or the second
// neighbour of the 4 x 4 from the upper left (bicubic); kBlackPixel in ix
// when the pixel is black. a, b: the fractions x - ix, y - iy (bilinear,
// bicubic).
struct SampleBlock {
    static constexpr int kSize = 256;
    alignas(32) int32_t ix[kSize];
    alignas(32) int32_t iy[kSize];
    alignas(32) float a[kSize];
    alignas(32) float b[kSize];
};
constexpr int32_t kBlackPixel = INT32_MIN;

class RowMapper {
public:
    // outWidth is W. vectorised = false keeps to plain double code even where
    // the processor has AVX2 or AVX-512.
    RowMapper(const ResampleGeometry& g, int outWidth, int sourceWidth, int sourceHeight,
              Interpolation kind, bool vectorised = true);

    void SetRow(int r);
    // Columns outside [SpanBegin, SpanEnd) of the current row are black.
    int SpanBegin() const { return spanBegin_; }
    int SpanEnd() const { return spanEnd_; }
    // Fills out for columns c0 .. c0 + n - 1 (n <= SampleBlock::kSize).
    void Map(int c0, int n, SampleBlock& out) const;

    // Per-row coefficients: u(c) = u0 + du*c, likewise v and w; the bound
    // of the position error, |1/w| * kx + cx in x (likewise y); the largest
    // |1/w| for which that bound holds and is small.
    struct Row {
        double u0, du, v0, dv, w0, dw;
        double kx, cx, ky, cy, maxR;
    };

private:
    void MapExact(int c, int k, SampleBlock& out) const;
    void MapScalar(int c0, int n, SampleBlock& out) const;
    void ComputeSpan(long double u0, long double du, long double v0, long double dv, long double w0,
                     long double dw);

    long double p_[8];
    long double xin_, yin_, s_, fx_, fy_;
    int outWidth_, srcW_, srcH_;
    Interpolation kind_;
    bool avx2_, avx512_;
    long double y_ = 0;
    Row row_{};
    int spanBegin_ = 0, spanEnd_ = 0;
};
