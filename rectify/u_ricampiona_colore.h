// How the output pixels of one row take their colour from the choices of
// the mapping: the colour part of the resampling engine (u_ricampiona.h
// states the rules, u_ricampiona_mappa.h the choices).
#pragma once

#include <cstdint>

#include "platform/raster.h"
#include "rectify/u_ricampiona.h"
#include "rectify/u_ricampiona_mappa.h"

// Writes out[0 .. n-1] from the choices s[0 .. n-1] (n <= SampleBlock::kSize).
using PixelWriter = void (*)(const RasterView& src, const SampleBlock& s, int n, uint32_t* out);

// The fastest writer of `kind` that this processor runs. widest = false
// leaves out the AVX-512 writers, the yardstick of the ones that give the
// same bytes with them.
PixelWriter ChoosePixelWriter(Interpolation kind, bool widest = true);
