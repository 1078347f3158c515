// The one bridge between a shown picture (QImage) and the core raster of
// platform/raster.h. Both hold 0xFFRRGGBB pixels, rows top to bottom, so
// neither direction copies a pixel.
#pragma once

#include <QImage>

#include "platform/raster.h"

// The raster as a QImage (Format_RGB32) that takes over its buffer and frees
// it; a null image when the toolkit refuses it (the buffer is then freed).
// The raster is left empty either way.
QImage AdoptRaster(Raster&& raster);

// A view of a 32-bit (RGB32 or ARGB32) picture's pixels for a kernel to
// read, valid while `image` lives unchanged; an empty view for a null picture
// or another format (the windows keep their pictures in RGB32).
RasterView ViewOfImage(const QImage& image);
