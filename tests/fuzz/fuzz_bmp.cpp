// The bitmap reader on arbitrary bytes: a failure with a reason, or a raster
// of the declared size; never a crash, a hang or a read out of bounds.
#include "tests/fuzz/fuzz_common.h"
#include "view/u_bmp.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (fuzz::BmpTooLarge(data, size)) return 0;
    const DecodeResult r = DecodeBmp(fuzz::WriteScratch(".bmp", data, size));
    if (r.Ok()) {
        fuzz::Check(!r.raster.Empty() && r.raster.Width() > 0 && r.raster.Height() > 0,
                    "an opened bitmap has pixels");
        fuzz::Check(r.damaged == !r.warning.empty(), "damage comes with its warning");
    } else {
        fuzz::Check(r.raster.Empty() && !r.reason.empty(), "a refusal has a reason and no pixels");
    }
    return 0;
}
