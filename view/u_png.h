// The PNG decoder, through libpng: pictures come back as a 32-bit Raster like
// every other kind (view/u_decodifica_base.h).
#pragma once

#include <string>

#include "view/u_decodifica_base.h"

// Grey, grey with alpha, RGB, RGBA and palette, 1 to 16 bits, interlaced or
// not. Alpha (and a transparent colour) is dropped; 16-bit samples are
// rounded to the nearest 8-bit value; no gamma is applied. A file whose
// image data end early opens with the rows decoded, grey below them, and
// `damaged` set. Any extension.
DecodeResult DecodePng(const std::string& path, const DecodeProgress& progress = {});
