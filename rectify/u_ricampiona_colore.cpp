#include "rectify/u_ricampiona_colore.h"

#include <algorithm>
#include <cmath>

#include "rectify/u_simd.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace {

constexpr uint32_t kBlack = 0xFF000000u;

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
void WriteBilinearAvx2(const RasterView& src, const SampleBlock& s, int n, uint32_t* out) {
    auto pair = [&](const uint32_t* p) {
        return _mm256_cvtepi32_ps(
            _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p))));
    };
    for (int k = 0; k < n; ++k) {
        const int x = s.ix[k], y = s.iy[k];
        if (x == kBlackPixel) {
            out[k] = kBlack;
        } else if (x >= 0 && x < src.width - 1 && y >= 0 && y < src.height - 1) {
            const __m256 top = pair(src.Row(y) + x), bottom = pair(src.Row(y + 1) + x);
            const __m256 down =
                _mm256_fmadd_ps(_mm256_sub_ps(bottom, top), _mm256_set1_ps(s.b[k]), top);
            const __m128 left = _mm256_castps256_ps128(down);
            const __m128 across = _mm_fmadd_ps(_mm_sub_ps(_mm256_extractf128_ps(down, 1), left),
                                               _mm_set1_ps(s.a[k]), left);
            const __m128i i32 = _mm_cvtps_epi32(across);
            const __m128i i8 = _mm_packus_epi16(_mm_packs_epi32(i32, i32), i32);
            out[k] = static_cast<uint32_t>(_mm_cvtsi128_si32(i8)) | kBlack;
        } else {
            out[k] = BorderPixel(src, x, y, s.a[k], s.b[k]);
        }
    }
}
// Eight pixels a gather; every source offset must fit in 32 bits.
void WriteNearestAvx2(const RasterView& src, const SampleBlock& s, int n, uint32_t* out) {
    const __m256i stride = _mm256_set1_epi32(static_cast<int>(src.stride));
    const __m256i blackIndex = _mm256_set1_epi32(kBlackPixel);
    const __m256i black = _mm256_set1_epi32(static_cast<int>(kBlack));
    const int* base = reinterpret_cast<const int*>(src.pixels);
    int k = 0;
    for (; k + 8 <= n; k += 8) {
        const __m256i ix = _mm256_load_si256(reinterpret_cast<const __m256i*>(s.ix + k));
        const __m256i iy = _mm256_load_si256(reinterpret_cast<const __m256i*>(s.iy + k));
        const __m256i live =
            _mm256_xor_si256(_mm256_cmpeq_epi32(ix, blackIndex), _mm256_set1_epi32(-1));
        const __m256i offset = _mm256_add_epi32(_mm256_mullo_epi32(iy, stride), ix);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + k),
                            _mm256_mask_i32gather_epi32(black, base, offset, live, 4));
    }
    for (; k < n; ++k) out[k] = s.ix[k] == kBlackPixel ? kBlack : src.Row(s.iy[k])[s.ix[k]];
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
#endif

}  // namespace

void CubicWeights(float t, float w[4]) {
    const float t2 = t * t, t3 = t2 * t;
    w[0] = 0.5f * (-t3 + 2 * t2 - t);
    w[1] = 0.5f * (3 * t3 - 5 * t2 + 2);
    w[2] = 0.5f * (-3 * t3 + 4 * t2 + t);
    w[3] = 0.5f * (t3 - t2);
}

PixelWriter ChoosePixelWriter(const RasterView& src, Interpolation kind, bool grouped) {
#if defined(__x86_64__)
    static const bool avx2 = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
    const bool offsetsFit = src.stride > 0 && src.stride * src.height < (std::ptrdiff_t{1} << 31);
    if (avx2) {
        switch (kind) {
            case Interpolation::Bilinear:
                return WriteBilinearAvx2;
            case Interpolation::Bicubic:
                return WriteBicubicAvx2;
            case Interpolation::Nearest:
                if (grouped && offsetsFit) return WriteNearestAvx2;
                break;
        }
    }
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
