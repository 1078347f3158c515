// What the picture fuzz targets check after opening a file the way the
// source image window does.
#pragma once

#include <string>

#include "tests/fuzz/fuzz_common.h"
#include "view/u_decodifica.h"

namespace fuzz {

// Progress only rises within 0..100; an opened picture has pixels, and
// damage comes with its warning; a refusal has a reason and no pixels.
inline void OpenAndCheck(const std::string& path) {
    int last = -1;
    bool rising = true;
    const DecodeResult r = DecodePicture(path, [&](int percent) {
        rising &= percent > last && percent >= 0 && percent <= 100;
        last = percent;
    });
    Check(rising, "progress only rises, within 0..100");
    if (r.Ok()) {
        Check(!r.raster.Empty() && r.raster.Width() > 0 && r.raster.Height() > 0,
              "an opened picture has pixels");
        Check(r.damaged == !r.warning.empty(), "damage comes with its warning");
    } else {
        Check(r.raster.Empty() && !r.reason.empty(), "a refusal has a reason and no pixels");
    }
}

}  // namespace fuzz
