// Opening a PNG the way the source image window does, on arbitrary bytes.
#include "tests/fuzz/fuzz_picture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The header's width and height, big-endian after the signature.
    if (size >= 24) {
        const auto be32 = [&](size_t at) {
            return (uint32_t(data[at]) << 24) | (data[at + 1] << 16) | (data[at + 2] << 8) |
                   data[at + 3];
        };
        if (static_cast<double>(be32(16)) * be32(20) > fuzz::kMaxFuzzPixels) return 0;
    }
    fuzz::OpenAndCheck(fuzz::WriteScratch(".png", data, size));
    return 0;
}
