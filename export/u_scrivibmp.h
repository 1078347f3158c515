// The bitmap file of a rectified picture: uncompressed 24 bits per pixel.
#pragma once

#include <optional>
#include <string>

#include "platform/raster.h"

// The bytes of a Windows bitmap of `picture`: a 14-byte file header, a 40-byte
// information header (no compression, no palette, resolution fields 0), then
// the rows from the bottom one up, each pixel as blue, green, red and each row
// padded with zero bytes to a multiple of four. The top byte of a pixel is
// dropped. Empty when the picture is empty, when its file would not fit the
// 32-bit size fields, or when memory is short.
std::optional<std::string> EncodeBmp24(const Raster& picture);
