// The PNG file of a rectified picture: 8-bit RGB, through libpng.
#pragma once

#include <optional>
#include <string>

#include "platform/raster.h"

// The bytes of a non-interlaced 8-bit RGB PNG of `picture` (the top byte of
// a pixel dropped), with no other chunk than the picture's. Empty when the
// picture is empty or memory is short.
std::optional<std::string> EncodePng(const Raster& picture);
