// The TIFF decoder, through libtiff: pictures come back as a 32-bit Raster
// like every other kind (view/u_decodifica_base.h).
#pragma once

#include <string>

#include "view/u_decodifica_base.h"

// The first picture of the file: grey (black or white is zero) and RGB,
// 8 or 16 bits a sample, extra samples such as alpha dropped, strips or
// tiles, interleaved samples, whatever compression libtiff decodes
// (none, LZW, Deflate, PackBits, JPEG). 16-bit samples are rounded to the
// nearest 8-bit value. A strip or tile that cannot be read leaves the
// picture open with the rows before it and grey from there on, `damaged`
// set. Any extension.
DecodeResult DecodeTiff(const std::string& path, const DecodeProgress& progress = {});
