// Opening a ".jpg" the way the source image window does, on arbitrary bytes.
#include "tests/fuzz/fuzz_picture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (fuzz::JpegTooLarge(data, size)) return 0;
    fuzz::OpenAndCheck(fuzz::WriteScratch(".jpg", data, size));
    return 0;
}
