#include "rectify/u_ricampiona.h"

#include <algorithm>
#include <atomic>
#include <cfenv>
#include <chrono>
#include <cmath>
#include <memory>
#include <thread>
#include <vector>

#include "rectify/u_ricampiona_mappa.h"
#include "rectify/u_simd.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace {

constexpr uint32_t kBlack = 0xFF000000u;
constexpr int kRowsPerChunk = 8;
constexpr auto kProgressInterval = std::chrono::milliseconds(40);

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

void WriteNearest(const RasterView& src, const SampleBlock& s, int n, uint32_t* out) {
    for (int k = 0; k < n; ++k)
        out[k] = s.ix[k] == kBlackPixel ? kBlack : src.Row(s.iy[k])[s.ix[k]];
}

uint32_t BorderPixel(const RasterView& src, int x, int y, float a, float b) {
    auto at = [&](int cx, int cy) {
        return cx >= 0 && cx < src.width && cy >= 0 && cy < src.height ? src.Row(cy)[cx] : kBlack;
    };
    return BlendQuad(at(x, y), at(x + 1, y), at(x, y + 1), at(x + 1, y + 1), a, b);
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
VEK_AVX2_END
#endif

using Writer = void (*)(const RasterView&, const SampleBlock&, int, uint32_t*);

Writer ChooseWriter(const RasterView& src, Interpolation kind) {
#if defined(__x86_64__)
    static const bool avx2 = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
    const bool offsetsFit = src.stride > 0 && src.stride * src.height < (std::ptrdiff_t{1} << 31);
    if (avx2 && kind == Interpolation::Bilinear) return WriteBilinearAvx2;
    if (avx2 && offsetsFit) return WriteNearestAvx2;
#endif
    return kind == Interpolation::Nearest ? WriteNearest : WriteBilinear;
}

void ResampleRow(const RasterView& src, RowMapper& mapper, int r, Interpolation kind,
                 SampleBlock& block, uint32_t* out, int width) {
    const Writer write = ChooseWriter(src, kind);
    mapper.SetRow(r);
    const int begin = mapper.SpanBegin(), end = mapper.SpanEnd();
    std::fill(out, out + begin, kBlack);
    for (int c = begin; c < end; c += SampleBlock::kSize) {
        const int n = std::min(SampleBlock::kSize, end - c);
        mapper.Map(c, n, block);
        write(src, block, n, out + c);
    }
    std::fill(out + end, out + width, kBlack);
}

// Chunks of rows handed out to the threads in order; done[k] tells the
// reporting thread that chunk k is final.
class Job {
public:
    Job(const RasterView& src, Raster& target, const ResampleGeometry& g, Interpolation kind)
        : src_(src),
          target_(target),
          g_(g),
          kind_(kind),
          chunks_((target.Height() + kRowsPerChunk - 1) / kRowsPerChunk),
          done_(new std::atomic<bool>[chunks_]) {
        for (int k = 0; k < chunks_; ++k) done_[k].store(false);
    }

    // Works until no chunk is left; between chunks calls between().
    template <typename F>
    void Work(F between) {
        RowMapper mapper(g_, target_.Width(), src_.width, src_.height, kind_);
        auto block = std::make_unique<SampleBlock>();
        for (int k; (k = next_.fetch_add(1)) < chunks_;) {
            const int end = std::min(target_.Height(), (k + 1) * kRowsPerChunk);
            for (int r = k * kRowsPerChunk; r < end; ++r)
                ResampleRow(src_, mapper, r, kind_, *block, target_.Row(r), target_.Width());
            done_[k].store(true, std::memory_order_release);
            between();
        }
    }
    void Work() {
        Work([] {});
    }

    // Reports the finished chunks that follow the ones already reported.
    void Report(const ResampleProgress& progress) {
        int k = reported_;
        while (k < chunks_ && done_[k].load(std::memory_order_acquire)) ++k;
        if (k == reported_) return;
        progress(reported_ * kRowsPerChunk, std::min(target_.Height(), k * kRowsPerChunk));
        reported_ = k;
    }

private:
    const RasterView& src_;
    Raster& target_;
    const ResampleGeometry& g_;
    Interpolation kind_;
    int chunks_;
    std::unique_ptr<std::atomic<bool>[]> done_;
    std::atomic<int> next_{0};
    int reported_ = 0;
};

// Denominators of 0 and far positions divide by zero or overflow on the way
// to a black pixel; those flags must not reach the caller.
class FlagsKept {
public:
    FlagsKept() { std::feholdexcept(&env_); }
    ~FlagsKept() { std::fesetenv(&env_); }
    FlagsKept(const FlagsKept&) = delete;
    FlagsKept& operator=(const FlagsKept&) = delete;

private:
    std::fenv_t env_;
};

}  // namespace

void Resample(const RasterView& source, Raster& target, const ResampleGeometry& geometry,
              Interpolation kind, int threads, const ResampleProgress& progress) {
    if (target.Empty()) return;
    const FlagsKept flags;
    if (threads <= 0) threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    threads = std::min(threads, (target.Height() + kRowsPerChunk - 1) / kRowsPerChunk);
    Job job(source, target, geometry, kind);
    // jthreads join on the way out, also when the progress callback throws.
    std::vector<std::jthread> helpers;
    for (int t = 1; t < threads; ++t) helpers.emplace_back([&job] { job.Work(); });
    auto last = std::chrono::steady_clock::now();
    job.Work([&] {
        const auto now = std::chrono::steady_clock::now();
        if (!progress || now - last < kProgressInterval) return;
        last = now;
        job.Report(progress);
    });
    for (std::jthread& t : helpers) t.join();
    if (progress) job.Report(progress);
}
