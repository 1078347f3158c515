// Opening a ".jpg" the way the source image window does, on arbitrary bytes.
#include "tests/fuzz/fuzz_common.h"
#include "view/u_decodifica.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (fuzz::JpegTooLarge(data, size)) return 0;
    int calls = 0, last = -1;
    bool rising = true;
    const DecodeResult r = DecodePicture(fuzz::WriteScratch(".jpg", data, size), [&](int percent) {
        rising &= percent > last && percent >= 0 && percent <= 100;
        last = percent;
        ++calls;
    });
    fuzz::Check(rising, "progress only rises, within 0..100");
    if (r.Ok()) {
        fuzz::Check(!r.raster.Empty() && r.raster.Width() > 0 && r.raster.Height() > 0,
                    "an opened picture has pixels");
        fuzz::Check(r.damaged == !r.warning.empty(), "damage comes with its warning");
    } else {
        fuzz::Check(r.raster.Empty() && !r.reason.empty(), "a refusal has a reason and no pixels");
    }
    return 0;
}
