#include "rectify/u_ricampiona_colore.h"

#include <algorithm>
#include <cmath>

#include "rectify/u_simd.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace {

constexpr uint32_t kBlack = 0xFF000000u;

// The cubic convolution weights (a = -0.5) of the neighbours ix-1 .. ix+2
// for the fraction t = x - ix; they add up to 1 and are exact at t = 0.
void CubicWeights(float t, float w[4]) {
    const float t2 = t * t, t3 = t2 * t;
    w[0] = 0.5f * (-t3 + 2 * t2 - t);
    w[1] = 0.5f * (3 * t3 - 5 * t2 + 2);
    w[2] = 0.5f * (-3 * t3 + 4 * t2 + t);
    w[3] = 0.5f * (t3 - t2);
}

#if defined(__SSE2__)
// The four channels of two adjacent pixels p and p+1 as floats.
inline void Unpack(__m128i pair, __m128& first, __m128& second) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i wide = _mm_unpacklo_epi8(pair, zero);
    first = _mm_cvtepi32_ps(_mm_unpacklo_epi16(wide, zero));
    second = _mm_cvtepi32_ps(_mm_unpackhi_epi16(wide, zero));
}

// Rounding of the conversion is to nearest with ties to even; the packs
// saturate, which keeps every channel within 0..255.
inline uint32_t Blend(__m128i top, __m128i bottom, float a, float b) {
    __m128 c00, c10, c01, c11;
    Unpack(top, c00, c10);
    Unpack(bottom, c01, c11);
    const __m128 va = _mm_set1_ps(a), vb = _mm_set1_ps(b);
    const __m128 cross = _mm_sub_ps(_mm_sub_ps(_mm_add_ps(c00, c11), c10), c01);
    __m128 out = _mm_add_ps(c00, _mm_mul_ps(_mm_sub_ps(c10, c00), va));
    out = _mm_add_ps(out, _mm_mul_ps(_mm_sub_ps(c01, c00), vb));
    out = _mm_add_ps(out, _mm_mul_ps(cross, _mm_mul_ps(va, vb)));
    const __m128i i32 = _mm_cvtps_epi32(out);
    const __m128i i8 = _mm_packus_epi16(_mm_packs_epi32(i32, i32), i32);
    return static_cast<uint32_t>(_mm_cvtsi128_si32(i8)) | kBlack;
}

inline uint32_t BlendQuad(uint32_t c00, uint32_t c10, uint32_t c01, uint32_t c11, float a,
                          float b) {
    return Blend(_mm_set_epi32(0, 0, static_cast<int>(c10), static_cast<int>(c00)),
                 _mm_set_epi32(0, 0, static_cast<int>(c11), static_cast<int>(c01)), a, b);
}

inline uint32_t BlendInterior(const uint32_t* top, const uint32_t* bottom, float a, float b) {
    return Blend(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(top)),
                 _mm_loadl_epi64(reinterpret_cast<const __m128i*>(bottom)), a, b);
}
#else
inline uint32_t BlendQuad(uint32_t c00, uint32_t c10, uint32_t c01, uint32_t c11, float a,
                          float b) {
    uint32_t result = kBlack;
    for (int shift = 0; shift < 24; shift += 8) {
        const float p00 = c00 >> shift & 0xFF, p10 = c10 >> shift & 0xFF;
        const float p01 = c01 >> shift & 0xFF, p11 = c11 >> shift & 0xFF;
        const float v = p00 + (p10 - p00) * a + (p01 - p00) * b + (p00 - p10 - p01 + p11) * (a * b);
        result |= static_cast<uint32_t>(std::clamp(std::nearbyint(v), 0.0f, 255.0f)) << shift;
    }
    return result;
}

inline uint32_t BlendInterior(const uint32_t* top, const uint32_t* bottom, float a, float b) {
    return BlendQuad(top[0], top[1], bottom[0], bottom[1], a, b);
}
#endif

// Outside the photograph a neighbour is black.
inline uint32_t PixelOrBlack(const RasterView& src, int x, int y) {
    return x >= 0 && x < src.width && y >= 0 && y < src.height ? src.Row(y)[x] : kBlack;
}

// The 4 x 4 neighbours from p (rows `stride` apart) weighted by wx across
// and wy down, per channel.
uint32_t CubicBlend(const uint32_t* p, std::ptrdiff_t stride, const float* wx, const float* wy) {
    uint32_t result = kBlack;
    for (int shift = 0; shift < 24; shift += 8) {
        float v = 0;
        for (int j = 0; j < 4; ++j) {
            const uint32_t* row = p + j * stride;
            float across = 0;
            for (int i = 0; i < 4; ++i)
                across += wx[i] * static_cast<float>(row[i] >> shift & 0xFF);
            v += wy[j] * across;
        }
        result |= static_cast<uint32_t>(std::clamp(std::nearbyint(v), 0.0f, 255.0f)) << shift;
    }
    return result;
}

// The neighbourhood of a bicubic choice whose 4 x 4 reaches beyond the
// photograph, black there.
struct CubicBorder {
    uint32_t p[16];
    CubicBorder(const RasterView& src, int x, int y) {
        for (int j = 0; j < 4; ++j)
            for (int i = 0; i < 4; ++i) p[4 * j + i] = PixelOrBlack(src, x - 1 + i, y - 1 + j);
    }
};

inline bool CubicInterior(const RasterView& src, int x, int y) {
    return x >= 1 && x < src.width - 2 && y >= 1 && y < src.height - 2;
}

void WriteBicubic(const RasterView& src, const SampleBlock& s, int n, uint32_t* out) {
    for (int k = 0; k < n; ++k) {
        const int x = s.ix[k], y = s.iy[k];
        if (x == kBlackPixel) {
            out[k] = kBlack;
            continue;
        }
        float wx[4], wy[4];
        CubicWeights(s.a[k], wx);
        CubicWeights(s.b[k], wy);
        if (CubicInterior(src, x, y)) {
            out[k] = CubicBlend(src.Row(y - 1) + x - 1, src.stride, wx, wy);
        } else {
            const CubicBorder border(src, x, y);
            out[k] = CubicBlend(border.p, 4, wx, wy);
        }
    }
}

void WriteNearest(const RasterView& src, const SampleBlock& s, int n, uint32_t* out) {
    for (int k = 0; k < n; ++k)
        out[k] = s.ix[k] == kBlackPixel ? kBlack : src.Row(s.iy[k])[s.ix[k]];
}

uint32_t BorderPixel(const RasterView& src, int x, int y, float a, float b) {
    return BlendQuad(PixelOrBlack(src, x, y), PixelOrBlack(src, x + 1, y),
                     PixelOrBlack(src, x, y + 1), PixelOrBlack(src, x + 1, y + 1), a, b);
}

void WriteBilinear(const RasterView& src, const SampleBlock& s, int n, uint32_t* out) {
    for (int k = 0; k < n; ++k) {
        const int x = s.ix[k], y = s.iy[k];
        if (x == kBlackPixel)
            out[k] = kBlack;
        else if (x >= 0 && x < src.width - 1 && y >= 0 && y < src.height - 1)
            out[k] = BlendInterior(src.Row(y) + x, src.Row(y + 1) + x, s.a[k], s.b[k]);
        else
            out[k] = BorderPixel(src, x, y, s.a[k], s.b[k]);
    }
}

#if defined(__x86_64__)
VEK_AVX2_BEGIN
// The same blend with the eight channels of a pixel pair in one register:
// first down the columns (b), then across (a).
uint32_t BilinearPixelAvx2(const RasterView& src, int x, int y, float a, float b) {
    if (x == kBlackPixel) return kBlack;
    if (!(x >= 0 && x < src.width - 1 && y >= 0 && y < src.height - 1))
        return BorderPixel(src, x, y, a, b);
    auto pair = [&](const uint32_t* p) {
        return _mm256_cvtepi32_ps(
            _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p))));
    };
    const __m256 top = pair(src.Row(y) + x), bottom = pair(src.Row(y + 1) + x);
    const __m256 down = _mm256_fmadd_ps(_mm256_sub_ps(bottom, top), _mm256_set1_ps(b), top);
    const __m128 left = _mm256_castps256_ps128(down);
    const __m128 across =
        _mm_fmadd_ps(_mm_sub_ps(_mm256_extractf128_ps(down, 1), left), _mm_set1_ps(a), left);
    const __m128i i32 = _mm_cvtps_epi32(across);
    const __m128i i8 = _mm_packus_epi16(_mm_packs_epi32(i32, i32), i32);
    return static_cast<uint32_t>(_mm_cvtsi128_si32(i8)) | kBlack;
}

void WriteBilinearAvx2(const RasterView& src, const SampleBlock& s, int n, uint32_t* out) {
    for (int k = 0; k < n; ++k) out[k] = BilinearPixelAvx2(src, s.ix[k], s.iy[k], s.a[k], s.b[k]);
}
// The 4 x 4 blend with two neighbours' four channels in one register:
// first down the rows (wy), then across (wx, four weights from wx4).
inline uint32_t CubicBlendAvx2(const uint32_t* p, std::ptrdiff_t stride, const float* wx4,
                               const float* wy) {
    __m256 left = _mm256_setzero_ps(), right = _mm256_setzero_ps();
    for (int j = 0; j < 4; ++j) {
        const __m128i four = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + j * stride));
        const __m256 weight = _mm256_broadcast_ss(wy + j);
        left = _mm256_fmadd_ps(_mm256_cvtepi32_ps(_mm256_cvtepu8_epi32(four)), weight, left);
        right = _mm256_fmadd_ps(_mm256_cvtepi32_ps(_mm256_cvtepu8_epi32(_mm_srli_si128(four, 8))),
                                weight, right);
    }
    const __m256 w = _mm256_castps128_ps256(_mm_loadu_ps(wx4));
    const __m256 wLeft = _mm256_permutevar8x32_ps(w, _mm256_setr_epi32(0, 0, 0, 0, 1, 1, 1, 1));
    const __m256 wRight = _mm256_permutevar8x32_ps(w, _mm256_setr_epi32(2, 2, 2, 2, 3, 3, 3, 3));
    const __m256 sum = _mm256_fmadd_ps(left, wLeft, _mm256_mul_ps(right, wRight));
    const __m128 across = _mm_add_ps(_mm256_castps256_ps128(sum), _mm256_extractf128_ps(sum, 1));
    const __m128i i32 = _mm_cvtps_epi32(across);
    const __m128i i8 = _mm_packus_epi16(_mm_packs_epi32(i32, i32), i32);
    return static_cast<uint32_t>(_mm_cvtsi128_si32(i8)) | kBlack;
}

void WriteBicubicAvx2(const RasterView& src, const SampleBlock& s, int n, uint32_t* out) {
    alignas(32) float wx[SampleBlock::kSize][4], wy[SampleBlock::kSize][4];
    for (int k = 0; k < n; ++k) {
        CubicWeights(s.a[k], wx[k]);
        CubicWeights(s.b[k], wy[k]);
    }
    for (int k = 0; k < n; ++k) {
        const int x = s.ix[k], y = s.iy[k];
        if (x == kBlackPixel) {
            out[k] = kBlack;
        } else if (CubicInterior(src, x, y)) {
            out[k] = CubicBlendAvx2(src.Row(y - 1) + x - 1, src.stride, wx[k], wy[k]);
        } else {
            const CubicBorder border(src, x, y);
            out[k] = CubicBlendAvx2(border.p, 4, wx[k], wy[k]);
        }
    }
}
VEK_AVX2_END

VEK_AVX512_BEGIN
inline __m128i TwoPairs(const uint32_t* first, const uint32_t* second) {
    const __m128d low = _mm_castsi128_pd(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(first)));
    return _mm_castpd_si128(_mm_loadh_pd(low, reinterpret_cast<const double*>(second)));
}

// Two pixels a step by the operations of BilinearPixelAvx2, so the same
// bytes: the eight channels of pixel k's two neighbour pairs in the lower
// half of a register, pixel k+1's in the upper.
void WriteBilinearAvx512(const RasterView& src, const SampleBlock& s, int n, uint32_t* out) {
    const __m512i halves = _mm512_setr_epi32(0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1);
    const __m512i zero = _mm512_setzero_si512();
    auto inside = [&](int x, int y) {
        return x >= 0 && x < src.width - 1 && y >= 0 && y < src.height - 1;
    };
    auto perPixel = [&](const float* f) {
        return _mm512_permutexvar_ps(halves, _mm512_castpd_ps(_mm512_castpd128_pd512(
                                                 _mm_load_sd(reinterpret_cast<const double*>(f)))));
    };
    int k = 0;
    for (; k + 2 <= n; k += 2) {
        const int x0 = s.ix[k], y0 = s.iy[k], x1 = s.ix[k + 1], y1 = s.iy[k + 1];
        if (!inside(x0, y0) || !inside(x1, y1)) {
            out[k] = BilinearPixelAvx2(src, x0, y0, s.a[k], s.b[k]);
            out[k + 1] = BilinearPixelAvx2(src, x1, y1, s.a[k + 1], s.b[k + 1]);
            continue;
        }
        const __m512 top =
            _mm512_cvtepi32_ps(_mm512_cvtepu8_epi32(TwoPairs(src.Row(y0) + x0, src.Row(y1) + x1)));
        const __m512 bottom = _mm512_cvtepi32_ps(
            _mm512_cvtepu8_epi32(TwoPairs(src.Row(y0 + 1) + x0, src.Row(y1 + 1) + x1)));
        const __m512 down = _mm512_fmadd_ps(_mm512_sub_ps(bottom, top), perPixel(s.b + k), top);
        // Each pixel's right neighbour where its left one is.
        const __m512 right = _mm512_shuffle_f32x4(down, down, _MM_SHUFFLE(2, 3, 0, 1));
        const __m512 across = _mm512_fmadd_ps(_mm512_sub_ps(right, down), perPixel(s.a + k), down);
        const __m128i bytes =
            _mm512_cvtusepi32_epi8(_mm512_max_epi32(_mm512_cvtps_epi32(across), zero));
        out[k] = static_cast<uint32_t>(_mm_cvtsi128_si32(bytes)) | kBlack;
        out[k + 1] = static_cast<uint32_t>(_mm_extract_epi32(bytes, 2)) | kBlack;
    }
    for (; k < n; ++k) out[k] = BilinearPixelAvx2(src, s.ix[k], s.iy[k], s.a[k], s.b[k]);
}
VEK_AVX512_END
#endif

}  // namespace

// Nearest reads one pixel at a time: on processors with fast scalar loads
// (as this program's development machine) that beats gathers.
PixelWriter ChoosePixelWriter(Interpolation kind, bool widest) {
#if defined(__x86_64__)
    if (widest && kind == Interpolation::Bilinear && HasAvx512()) return WriteBilinearAvx512;
    static const bool avx2 = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
    if (avx2 && kind == Interpolation::Bilinear) return WriteBilinearAvx2;
    if (avx2 && kind == Interpolation::Bicubic) return WriteBicubicAvx2;
#endif
    switch (kind) {
        case Interpolation::Bilinear:
            return WriteBilinear;
        case Interpolation::Bicubic:
            return WriteBicubic;
        case Interpolation::Nearest:
            break;
    }
    return WriteNearest;
}
