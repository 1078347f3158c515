// The TIFF file of a rectified picture, plain or georeferenced (GeoTIFF),
// through libtiff and libgeotiff.
#pragma once

#include <optional>
#include <string>

#include "export/u_filegeo.h"
#include "platform/raster.h"

// Where a GeoTIFF puts the picture: the world file's numbers (pixel centres,
// see export/u_filegeo.h) and the EPSG code of the coordinate reference
// system, 0 for none (no system is written).
struct GeoTiffPlacement {
    WorldTransform transform;
    int epsg = 0;
};

// The bytes of a single-picture 8-bit RGB TIFF of `picture` (the top byte of
// a pixel dropped), in strips, Deflate-compressed with the horizontal
// predictor. With `place` the file carries GeoTIFF tags: the pixel scale and
// one tie point (or, with rotation terms, the full transformation) of the
// picture as an area, the upper-left pixel's corner half a pixel before the
// world file's centre, and with an EPSG code the model type and the
// projected (or geographic, when the code is one) system. Empty when the
// picture is empty or the library fails (memory short).
std::optional<std::string> EncodeTiff(const Raster& picture,
                                      const std::optional<GeoTiffPlacement>& place = {});
