#include "rectify/u_ricampiona_mappa.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "rectify/u_simd.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

// How the double-precision choice is proved equal to the 80-bit one.
//
// Along a row Y is fixed, so u, v and w are linear in the column:
// u(c) = u0 + du*c. In double, u0 and du carry one rounding each and the
// evaluation two more, all within a few units of 2^-53 of
// Mu = |p1|*max|X| + |p3|*|Y| + |p5| (likewise v, w); the 80-bit values carry
// a few units of 2^-64 of the same. eu, ev, ew are generous bounds of the
// difference. With x = u/w the difference of the two positions is then at
// most (eu + |x|*ew) / |w| plus a few roundings of |x| itself, as long as ew
// is small against |w|. |x| is taken as L = 1.001 * width + 8 there: beyond L
// the bound is a tiny fraction of |x| (q = ew/|w| < 2^-20), and L clears every
// limit by far more, so a position beyond L is outside in both computations.
// So the bound is tol = |1/w| * kx + cx, one multiply-add a pixel. A choice (the pixel, inside or
// outside) is taken in double only when x and y are farther than that bound from every boundary
// where the choice changes; any other pixel, and any pixel whose double
// computation overflowed or divided by zero, is mapped again in 80-bit
// reals.
namespace {

constexpr double kErrorScale = 16 * 0x1p-53;
constexpr double kMaxRelativeW = 0x1p-20;
constexpr double kPositionRounding = 0x1p-50;
constexpr double kSafety = 1.01;
constexpr double kMaxTolerance = 0.25;
constexpr long double kIntRange = 2147483647.0L;

// The boundaries of a choice along one axis of a source of the given size:
// the chosen index is floor(x + shift) (at least 0) for nearest, trunc(x)
// for bilinear and floor(x) for bicubic; the pixel is black beyond lo and
// hi (below lo, or at or above hi; nearest and bilinear also at lo).
enum class IndexRule { NearestClamped, Truncated, Floored };
struct AxisLimits {
    double lo, hi, shift;
    IndexRule rule;
};
AxisLimits LimitsOf(Interpolation kind, int size) {
    switch (kind) {
        case Interpolation::Nearest:
            return {-1.0, size - 0.5, 0.5, IndexRule::NearestClamped};
        case Interpolation::Bilinear:
            return {-2.0, static_cast<double>(size), 0.0, IndexRule::Truncated};
        case Interpolation::Bicubic:
            break;
    }
    return {-2.0, size + 1.0, 0.0, IndexRule::Floored};
}

enum class Choice { Black, Pixel, Undecided };

inline Choice DecideAxis(double x, double tol, const AxisLimits& l, double& index) {
    const double depth = std::min(x - l.lo, l.hi - x);  // negative outside
    if (depth <= -tol) return Choice::Black;
    if (!(depth > tol)) return Choice::Undecided;
    const double t = x + l.shift;  // within a few pixels of the photograph here
    const double truncated = static_cast<double>(static_cast<long long>(t));
    const double floored = truncated - (t < truncated);
    const double fraction = t - floored;
    if (fraction < tol || fraction > 1 - tol) return Choice::Undecided;
    switch (l.rule) {
        case IndexRule::NearestClamped:
            index = std::max(floored, 0.0);
            break;
        case IndexRule::Truncated:
            index = truncated;
            break;
        case IndexRule::Floored:
            index = floored;
            break;
    }
    return Choice::Pixel;
}

bool HasAvx2() {
#if defined(__x86_64__)
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
#else
    return false;
#endif
}

#if defined(__x86_64__)
VEK_AVX2_BEGIN
// Four columns at a time; the same choices as RowMapper::MapScalar. Returns
// the undecided lanes of the block as bits in undecided[].
void MapAvx2(const RowMapper::Row& row, const AxisLimits& lx, const AxisLimits& ly, int c0, int n,
             SampleBlock& out, uint64_t* undecided) {
    const __m256d lane = _mm256_set_pd(3, 2, 1, 0);
    const __m256d u0 = _mm256_set1_pd(row.u0), du = _mm256_set1_pd(row.du);
    const __m256d v0 = _mm256_set1_pd(row.v0), dv = _mm256_set1_pd(row.dv);
    const __m256d w0 = _mm256_set1_pd(row.w0), dw = _mm256_set1_pd(row.dw);
    const __m256d kx = _mm256_set1_pd(row.kx), cx = _mm256_set1_pd(row.cx);
    const __m256d ky = _mm256_set1_pd(row.ky), cy = _mm256_set1_pd(row.cy);
    const __m256d maxR = _mm256_set1_pd(row.maxR);
    const __m256d one = _mm256_set1_pd(1.0), absMask = _mm256_set1_pd(-0.0);
    const __m256d zero = _mm256_setzero_pd(), shift = _mm256_set1_pd(lx.shift);
    const __m256d xlo = _mm256_set1_pd(lx.lo), xhi = _mm256_set1_pd(lx.hi);
    const __m256d ylo = _mm256_set1_pd(ly.lo), yhi = _mm256_set1_pd(ly.hi);
    const __m256i evenLanes = _mm256_setr_epi32(0, 2, 4, 6, 0, 2, 4, 6);
    const __m128i blackIndex = _mm_set1_epi32(kBlackPixel);

    // Distance inside the limits: negative outside.
    auto depth = [&](__m256d p, __m256d lo, __m256d hi) {
        return _mm256_min_pd(_mm256_sub_pd(p, lo), _mm256_sub_pd(hi, p));
    };
    auto farFromBoundary = [&](__m256d t, __m256d tol) {
        const __m256d d = _mm256_sub_pd(t, _mm256_round_pd(t, _MM_FROUND_TO_NEAREST_INT));
        return _mm256_cmp_pd(_mm256_andnot_pd(absMask, d), tol, _CMP_GE_OQ);
    };
    auto index = [&](__m256d t) {
        switch (lx.rule) {
            case IndexRule::Truncated:
                return _mm256_round_pd(t, _MM_FROUND_TO_ZERO);
            case IndexRule::Floored:
                return _mm256_floor_pd(t);
            case IndexRule::NearestClamped:
                break;
        }
        return _mm256_max_pd(_mm256_floor_pd(t), zero);
    };
    const bool fractions = lx.rule != IndexRule::NearestClamped;

    for (int k = 0; k < n; k += 4) {
        const __m256d c = _mm256_add_pd(_mm256_set1_pd(c0 + k), lane);
        const __m256d rw = _mm256_div_pd(one, _mm256_fmadd_pd(dw, c, w0));
        const __m256d x = _mm256_mul_pd(_mm256_fmadd_pd(du, c, u0), rw);
        const __m256d y = _mm256_mul_pd(_mm256_fmadd_pd(dv, c, v0), rw);
        const __m256d arw = _mm256_andnot_pd(absMask, rw);
        const __m256d ok = _mm256_cmp_pd(arw, maxR, _CMP_LT_OQ);
        const __m256d tolx = _mm256_fmadd_pd(arw, kx, cx), toly = _mm256_fmadd_pd(arw, ky, cy);
        const __m256d dx = depth(x, xlo, xhi), dy = depth(y, ylo, yhi);
        const __m256d black = _mm256_and_pd(
            ok, _mm256_or_pd(_mm256_cmp_pd(dx, _mm256_sub_pd(zero, tolx), _CMP_LE_OQ),
                             _mm256_cmp_pd(dy, _mm256_sub_pd(zero, toly), _CMP_LE_OQ)));
        const __m256d tx = _mm256_add_pd(x, shift), ty = _mm256_add_pd(y, shift);
        const __m256d good =
            _mm256_and_pd(_mm256_and_pd(ok, _mm256_and_pd(_mm256_cmp_pd(dx, tolx, _CMP_GT_OQ),
                                                          _mm256_cmp_pd(dy, toly, _CMP_GT_OQ))),
                          _mm256_and_pd(farFromBoundary(tx, tolx), farFromBoundary(ty, toly)));
        const __m256d ixd = index(tx), iyd = index(ty);
        const __m128i blackMask = _mm256_castsi256_si128(
            _mm256_permutevar8x32_epi32(_mm256_castpd_si256(black), evenLanes));
        const __m128i ix = _mm_blendv_epi8(_mm256_cvttpd_epi32(ixd), blackIndex, blackMask);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out.ix + k), ix);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out.iy + k), _mm256_cvttpd_epi32(iyd));
        if (fractions) {
            _mm_storeu_ps(out.a + k, _mm256_cvtpd_ps(_mm256_sub_pd(x, ixd)));
            _mm_storeu_ps(out.b + k, _mm256_cvtpd_ps(_mm256_sub_pd(y, iyd)));
        }
        const uint64_t open = ~(_mm256_movemask_pd(_mm256_or_pd(black, good))) & 0xF;
        undecided[k >> 6] |= open << (k & 63);
    }
}
VEK_AVX2_END
#endif

#if defined(__x86_64__)
VEK_AVX512_BEGIN
// Eight columns at a time, with the same operations as MapAvx2 and so the
// same choices.
void MapAvx512(const RowMapper::Row& row, const AxisLimits& lx, const AxisLimits& ly, int c0, int n,
               SampleBlock& out, uint64_t* undecided) {
    const __m512d lane = _mm512_setr_pd(0, 1, 2, 3, 4, 5, 6, 7);
    const __m512d u0 = _mm512_set1_pd(row.u0), du = _mm512_set1_pd(row.du);
    const __m512d v0 = _mm512_set1_pd(row.v0), dv = _mm512_set1_pd(row.dv);
    const __m512d w0 = _mm512_set1_pd(row.w0), dw = _mm512_set1_pd(row.dw);
    const __m512d kx = _mm512_set1_pd(row.kx), cx = _mm512_set1_pd(row.cx);
    const __m512d ky = _mm512_set1_pd(row.ky), cy = _mm512_set1_pd(row.cy);
    const __m512d maxR = _mm512_set1_pd(row.maxR);
    const __m512d one = _mm512_set1_pd(1.0), zero = _mm512_setzero_pd();
    const __m512d shift = _mm512_set1_pd(lx.shift);
    const __m512d xlo = _mm512_set1_pd(lx.lo), xhi = _mm512_set1_pd(lx.hi);
    const __m512d ylo = _mm512_set1_pd(ly.lo), yhi = _mm512_set1_pd(ly.hi);
    const __m256i blackIndex = _mm256_set1_epi32(kBlackPixel);
    constexpr int kNearest = _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC;
    constexpr int kTrunc = _MM_FROUND_TO_ZERO | _MM_FROUND_NO_EXC;
    constexpr int kFloor = _MM_FROUND_TO_NEG_INF | _MM_FROUND_NO_EXC;

    auto depth = [&](__m512d p, __m512d lo, __m512d hi) {
        return _mm512_min_pd(_mm512_sub_pd(p, lo), _mm512_sub_pd(hi, p));
    };
    auto farFromBoundary = [&](__m512d t, __m512d tol) {
        const __m512d d = _mm512_sub_pd(t, _mm512_roundscale_pd(t, kNearest));
        return _mm512_cmp_pd_mask(_mm512_abs_pd(d), tol, _CMP_GE_OQ);
    };
    auto index = [&](__m512d t) {
        switch (lx.rule) {
            case IndexRule::Truncated:
                return _mm512_roundscale_pd(t, kTrunc);
            case IndexRule::Floored:
                return _mm512_roundscale_pd(t, kFloor);
            case IndexRule::NearestClamped:
                break;
        }
        return _mm512_max_pd(_mm512_roundscale_pd(t, kFloor), zero);
    };
    const bool fractions = lx.rule != IndexRule::NearestClamped;

    for (int k = 0; k < n; k += 8) {
        const __m512d c = _mm512_add_pd(_mm512_set1_pd(c0 + k), lane);
        const __m512d rw = _mm512_div_pd(one, _mm512_fmadd_pd(dw, c, w0));
        const __m512d x = _mm512_mul_pd(_mm512_fmadd_pd(du, c, u0), rw);
        const __m512d y = _mm512_mul_pd(_mm512_fmadd_pd(dv, c, v0), rw);
        const __m512d arw = _mm512_abs_pd(rw);
        const __mmask8 ok = _mm512_cmp_pd_mask(arw, maxR, _CMP_LT_OQ);
        const __m512d tolx = _mm512_fmadd_pd(arw, kx, cx), toly = _mm512_fmadd_pd(arw, ky, cy);
        const __m512d dx = depth(x, xlo, xhi), dy = depth(y, ylo, yhi);
        const __mmask8 black = ok & (_mm512_cmp_pd_mask(dx, _mm512_sub_pd(zero, tolx), _CMP_LE_OQ) |
                                     _mm512_cmp_pd_mask(dy, _mm512_sub_pd(zero, toly), _CMP_LE_OQ));
        const __m512d tx = _mm512_add_pd(x, shift), ty = _mm512_add_pd(y, shift);
        const __mmask8 good = ok & _mm512_cmp_pd_mask(dx, tolx, _CMP_GT_OQ) &
                              _mm512_cmp_pd_mask(dy, toly, _CMP_GT_OQ) & farFromBoundary(tx, tolx) &
                              farFromBoundary(ty, toly);
        const __m512d ixd = index(tx), iyd = index(ty);
        const __m256i ix = _mm256_mask_mov_epi32(_mm512_cvttpd_epi32(ixd), black, blackIndex);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out.ix + k), ix);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out.iy + k), _mm512_cvttpd_epi32(iyd));
        if (fractions) {
            _mm256_storeu_ps(out.a + k, _mm512_cvtpd_ps(_mm512_sub_pd(x, ixd)));
            _mm256_storeu_ps(out.b + k, _mm512_cvtpd_ps(_mm512_sub_pd(y, iyd)));
        }
        const uint64_t open = static_cast<uint8_t>(~(black | good));
        undecided[k >> 6] |= open << (k & 63);
    }
}
VEK_AVX512_END
#endif

}  // namespace

RowMapper::RowMapper(const ResampleGeometry& g, int outWidth, int sourceWidth, int sourceHeight,
                     Interpolation kind, bool vectorised)
    : xin_(std::min(g.X1, g.X2)),
      yin_(std::max(g.Y1, g.Y2)),
      s_(g.s),
      fx_(g.fx),
      fy_(g.fy),
      outWidth_(outWidth),
      srcW_(sourceWidth),
      srcH_(sourceHeight),
      kind_(kind),
      avx2_(vectorised && HasAvx2()),
      avx512_(vectorised && HasAvx512()) {
    std::copy(g.model.p.begin(), g.model.p.end(), p_);
}

void RowMapper::SetRow(int r) {
    y_ = yin_ - s_ * r / fy_;
    const long double* p = p_;
    const long double step = s_ / fx_;
    const long double u0 = p[0] * xin_ + p[2] * y_ + p[4], du = p[0] * step;
    const long double v0 = p[1] * xin_ + p[3] * y_ + p[5], dv = p[1] * step;
    const long double w0 = p[6] * xin_ + p[7] * y_ + 1, dw = p[6] * step;
    const long double xAbs = std::fabs(xin_) + std::fabs(step) * outWidth_;
    const long double yAbs = std::fabs(y_);
    auto bound = [&](long double a, long double b, long double c) {
        return static_cast<double>(kErrorScale *
                                   (std::fabs(a) * xAbs + std::fabs(b) * yAbs + std::fabs(c)));
    };
    const double eu = bound(p[0], p[2], p[4]), ev = bound(p[1], p[3], p[5]);
    const double ew = bound(p[6], p[7], 1);
    const double lx = 1.001 * srcW_ + 8, ly = 1.001 * srcH_ + 8;
    Row& R = row_;
    R = Row{static_cast<double>(u0),
            static_cast<double>(du),
            static_cast<double>(v0),
            static_cast<double>(dv),
            static_cast<double>(w0),
            static_cast<double>(dw),
            (eu + (lx + 1) * ew) * kSafety,
            lx * kPositionRounding,
            (ev + (ly + 1) * ew) * kSafety,
            ly * kPositionRounding,
            0};
    const double maxR = std::min(
        {kMaxRelativeW / ew, (kMaxTolerance - R.cx) / R.kx, (kMaxTolerance - R.cy) / R.ky});
    // NaN or infinite coefficients leave every pixel to the 80-bit mapping.
    const bool finite = std::isfinite(R.u0 + R.du + R.v0 + R.dv + R.w0 + R.dw + R.kx + R.ky);
    R.maxR = finite && maxR > 0 ? maxR : 0;
    ComputeSpan(u0, du, v0, dv, w0, dw);
}

// The source point moves along a line as c grows; while w keeps its sign it
// moves monotonically, so the columns that can reach the photograph (grown
// by a margin of three source pixels and two columns) form one interval.
void RowMapper::ComputeSpan(long double u0, long double du, long double v0, long double dv,
                            long double w0, long double dw) {
    spanBegin_ = 0;
    spanEnd_ = outWidth_;
    if (srcW_ <= 0 || srcH_ <= 0) {  // nothing to read: all black
        spanEnd_ = 0;
        return;
    }
    const long double wFirst = w0, wLast = w0 + dw * (outWidth_ - 1);
    if (!(wFirst * wLast > 0) || !std::isfinite(wFirst * wLast)) return;
    const long double sign = wFirst > 0 ? 1 : -1;
    long double lo = -1, hi = outWidth_ + 1;
    // Keeps the columns where a + b*c > 0.
    auto keep = [&](long double a, long double b) {
        a *= sign;
        b *= sign;
        if (!std::isfinite(a) || !std::isfinite(b)) return;
        if (b == 0) {
            if (!(a > 0)) hi = lo;
            return;
        }
        const long double root = -a / b;
        if (b > 0)
            lo = std::max(lo, root);
        else
            hi = std::min(hi, root);
    };
    const long double margin = 3;
    keep(u0 + margin * w0, du + margin * dw);                      // x > -margin
    keep((srcW_ + margin) * w0 - u0, (srcW_ + margin) * dw - du);  // x < width + margin
    keep(v0 + margin * w0, dv + margin * dw);
    keep((srcH_ + margin) * w0 - v0, (srcH_ + margin) * dw - dv);
    if (!(lo < hi)) {
        spanBegin_ = spanEnd_ = 0;
        return;
    }
    spanBegin_ = static_cast<int>(std::max<long double>(0, std::floor(lo) - 2));
    spanEnd_ = static_cast<int>(std::min<long double>(outWidth_, std::ceil(hi) + 3));
    if (spanBegin_ > spanEnd_) spanBegin_ = spanEnd_;
}

// The literal 80-bit computation of one pixel.
void RowMapper::MapExact(int c, int k, SampleBlock& out) const {
    const long double* p = p_;
    const long double X = xin_ + s_ * c / fx_, Y = y_;
    const long double w = p[6] * X + p[7] * Y + 1;
    out.ix[k] = kBlackPixel;
    if (w == 0) return;
    const long double x = (p[0] * X + p[2] * Y + p[4]) / w;
    const long double y = (p[1] * X + p[3] * Y + p[5]) / w;
    if (!(std::fabs(x) < kIntRange) || !(std::fabs(y) < kIntRange)) return;
    const bool floored = kind_ == Interpolation::Bicubic;
    long long xi = static_cast<long long>(floored ? std::floor(x) : x);
    long long yi = static_cast<long long>(floored ? std::floor(y) : y);
    const long double a = x - xi, b = y - yi;
    if (kind_ == Interpolation::Nearest) {
        if (a >= 0.5L) ++xi;
        if (b >= 0.5L) ++yi;
        if (xi < 0 || xi >= srcW_ || yi < 0 || yi >= srcH_) return;
    } else {
        // The neighbourhood reaches 1 pixel left and up for bilinear, 2 for
        // bicubic (whose index is 1 further right).
        const int reach = floored ? 2 : 1, right = floored ? 1 : 0;
        if (xi < -reach || xi >= srcW_ + right || yi < -reach || yi >= srcH_ + right) return;
        out.a[k] = static_cast<float>(a);
        out.b[k] = static_cast<float>(b);
    }
    out.ix[k] = static_cast<int32_t>(xi);
    out.iy[k] = static_cast<int32_t>(yi);
}

void RowMapper::MapScalar(int c0, int n, SampleBlock& out) const {
    const AxisLimits lx = LimitsOf(kind_, srcW_), ly = LimitsOf(kind_, srcH_);
    const Row& R = row_;
    for (int k = 0; k < n; ++k) {
        const double c = c0 + k;
        const double rw = 1.0 / (R.w0 + R.dw * c);
        const double x = (R.u0 + R.du * c) * rw, y = (R.v0 + R.dv * c) * rw;
        const double arw = std::fabs(rw);
        const double tolx = arw * R.kx + R.cx, toly = arw * R.ky + R.cy;
        const bool ok = arw < R.maxR;
        double ixd = 0, iyd = 0;
        const Choice cx = ok ? DecideAxis(x, tolx, lx, ixd) : Choice::Undecided;
        const Choice cy = ok ? DecideAxis(y, toly, ly, iyd) : Choice::Undecided;
        if (cx == Choice::Black || cy == Choice::Black) {
            out.ix[k] = kBlackPixel;
        } else if (cx == Choice::Undecided || cy == Choice::Undecided) {
            MapExact(c0 + k, k, out);
        } else {
            out.ix[k] = static_cast<int32_t>(ixd);
            out.iy[k] = static_cast<int32_t>(iyd);
            out.a[k] = static_cast<float>(x - ixd);
            out.b[k] = static_cast<float>(y - iyd);
        }
    }
}

void RowMapper::Map(int c0, int n, SampleBlock& out) const {
#if defined(__x86_64__)
    if (avx2_) {
        uint64_t undecided[SampleBlock::kSize / 64] = {};
        const AxisLimits lx = LimitsOf(kind_, srcW_), ly = LimitsOf(kind_, srcH_);
        if (avx512_)
            MapAvx512(row_, lx, ly, c0, n, out, undecided);
        else
            MapAvx2(row_, lx, ly, c0, n, out, undecided);
        for (int word = 0; word * 64 < n; ++word)
            for (uint64_t bits = undecided[word]; bits; bits &= bits - 1) {
                const int k = word * 64 + __builtin_ctzll(bits);
                if (k < n) MapExact(c0 + k, k, out);
            }
        return;
    }
#endif
    MapScalar(c0, n, out);
}
