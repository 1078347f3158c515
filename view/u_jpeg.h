// The JPEG decoder, through libjpeg: pictures come back as a 32-bit Raster like
// every other kind (view/u_decodifica_base.h).
#pragma once

#include <string>

#include "view/u_decodifica_base.h"

// Baseline and progressive, grayscale, YCbCr, RGB, CMYK and YCCK (with an
// Adobe marker the CMYK samples are taken as stored inverted, as Adobe writes
// them). A file whose tail is missing or damaged opens with what decoded
// (libjpeg fills the rest with grey) and `damaged` set. Any extension.
DecodeResult DecodeJpeg(const std::string& path, const DecodeProgress& progress = {});
