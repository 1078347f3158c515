// What the fuzz targets share: the readers under test take a file name, so
// each input is written to one scratch file of the process first.
#pragma once

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace fuzz {

// A file in the temporary folder, one per process and per suffix, rewritten
// with every input and removed at exit.
inline const std::string& ScratchPath(const char* suffix) {
    static const std::string path = [suffix] {
        const char* dir = std::getenv("TMPDIR");
        std::string p = std::string(dir && *dir ? dir : "/tmp") + "/vek_fuzz_" +
                        std::to_string(getpid()) + suffix;
        static std::string removeAtExit;
        removeAtExit = p;
        std::atexit([] { std::remove(removeAtExit.c_str()); });
        return p;
    }();
    return path;
}

inline const std::string& WriteScratch(const char* suffix, const uint8_t* data, size_t size) {
    const std::string& path = ScratchPath(suffix);
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) std::abort();
    if (size && std::fwrite(data, 1, size, f) != size) std::abort();
    std::fclose(f);
    return path;
}

// Stops the run with the fuzzer's crash report when a promise is broken.
inline void Check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "broken: %s\n", what);
        std::abort();
    }
}

// The decoders accept pictures up to hundreds of megapixels, which a run of
// thousands of inputs a second cannot afford: inputs whose header claims more
// than this are skipped (the size limits have their own unit tests).
constexpr long long kMaxFuzzPixels = 4'000'000;

inline bool BmpTooLarge(const uint8_t* d, size_t n) {
    if (n < 26) return false;
    const uint32_t header = d[14] | d[15] << 8 | d[16] << 16 | uint32_t(d[17]) << 24;
    long long w, h;
    if (header == 12) {
        w = d[18] | d[19] << 8;
        h = d[20] | d[21] << 8;
    } else {
        w = int32_t(d[18] | d[19] << 8 | d[20] << 16 | uint32_t(d[21]) << 24);
        h = int32_t(d[22] | d[23] << 8 | d[24] << 16 | uint32_t(d[25]) << 24);
    }
    return std::llabs(w) * std::llabs(h) > kMaxFuzzPixels;
}

// Any start-of-frame marker anywhere in the data that claims too much.
inline bool JpegTooLarge(const uint8_t* d, size_t n) {
    for (size_t i = 0; i + 8 < n; ++i) {
        if (d[i] != 0xFF) continue;
        const uint8_t m = d[i + 1];
        if (m < 0xC0 || m > 0xCF || m == 0xC4 || m == 0xC8 || m == 0xCC) continue;
        const long long h = d[i + 5] << 8 | d[i + 6], w = d[i + 7] << 8 | d[i + 8];
        if (w * h > kMaxFuzzPixels) return true;
    }
    return false;
}

}  // namespace fuzz
