#include "rectify/u_ricampiona.h"

#include <algorithm>
#include <atomic>
#include <cfenv>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

#include "rectify/u_ricampiona_colore.h"
#include "rectify/u_ricampiona_mappa.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr uint32_t kBlack = 0xFF000000u;
constexpr int kRowsPerChunk = 8;
constexpr auto kProgressInterval = std::chrono::milliseconds(40);

void ResampleRow(const RasterView& src, RowMapper& mapper, int r, Interpolation kind,
                 SampleBlock& block, uint32_t* out, int width) {
    const PixelWriter write = ChoosePixelWriter(kind);
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

// A finished row goes to the picture past the caches: the picture is far
// larger than they are, and a plain store would first read every line it
// writes. FenceRows() orders these stores before what follows.
void StoreRow(const uint32_t* row, uint32_t* out, int width) {
    int c = 0;
#if defined(__SSE2__)
    for (; c < width && reinterpret_cast<std::uintptr_t>(out + c) % 16 != 0; ++c) out[c] = row[c];
    for (; c + 4 <= width; c += 4)
        _mm_stream_si128(reinterpret_cast<__m128i*>(out + c),
                         _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + c)));
#endif
    std::copy(row + c, row + width, out + c);
}

void FenceRows() {
#if defined(__SSE2__)
    _mm_sfence();
#endif
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
        std::vector<uint32_t> row(target_.Width());
        for (int k; (k = next_.fetch_add(1)) < chunks_;) {
            const int end = std::min(target_.Height(), (k + 1) * kRowsPerChunk);
            for (int r = k * kRowsPerChunk; r < end; ++r) {
                ResampleRow(src_, mapper, r, kind_, *block, row.data(), target_.Width());
                StoreRow(row.data(), target_.Row(r), target_.Width());
            }
            FenceRows();
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
