// Opening a TIFF the way the source image window does, on arbitrary bytes.
#include <tiffio.h>

#include "tests/fuzz/fuzz_picture.h"

namespace {

// The first picture's size as libtiff reads it, to skip what a fast run
// cannot afford (zero when the file does not open).
long long TiffPixels(const std::string& path) {
    static const bool quiet = [] {
        TIFFSetErrorHandler(nullptr);
        TIFFSetWarningHandler(nullptr);
        return true;
    }();
    (void)quiet;
    TIFF* tif = TIFFOpen(path.c_str(), "r");
    if (!tif) return 0;
    uint32_t w = 0, h = 0;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &w);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &h);
    TIFFClose(tif);
    return static_cast<long long>(w) * h;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& path = fuzz::WriteScratch(".tif", data, size);
    if (TiffPixels(path) > fuzz::kMaxFuzzPixels) return 0;
    fuzz::OpenAndCheck(path);
    return 0;
}
