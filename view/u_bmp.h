// The Windows bitmap decoder: pictures come back as a 32-bit Raster like every
// other kind (view/u_decodifica_base.h).
#pragma once

#include <string>

#include "view/u_decodifica_base.h"

// The 12-byte core header and the 40-byte header with its larger versions;
// 1, 4, 8 bit with palette, RLE8 and RLE4, 16 bit (5-5-5 unless bit fields
// say otherwise), 24 bit, 32 bit (with bit fields); bottom-up and top-down
// rows. Pixels that RLE data skips (delta, early end of line or of bitmap)
// take palette entry 0, as in a bitmap cleared to zero before the RLE data is
// drawn into it. Palette indices beyond the palette read as black. Any
// extension.
DecodeResult DecodeBmp(const std::string& path, const DecodeProgress& progress = {});
