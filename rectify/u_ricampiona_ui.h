// The resampling engine on the windows: the photograph of a source image
// control resampled into a target image control, with the progress bar
// moving and the result appearing row by row while the work goes on.
//
// The geometry and the sampling rules are those of Resample (u_ricampiona.h):
// the target becomes W x H pixels, W and H from ComputeOutputSize over the
// limits, the pixel size and the factors; its pixel (0, 0) lies at the
// area's upper-left corner (min X, max Y), rows going down in object Y.
#pragma once

#include "rectify/u_ricampiona.h"

class ImageControl;
class QProgressBar;

// First puts the unmarked photograph (CleanBitmap) back into the source, so
// no mark reaches the output, shows the progress bar and leaves its position
// at 0. The caller guarantees s, fx, fy != 0. An output too large to be made
// gets an error message box and leaves the target as it was; the result is
// then false.
bool ResampleImage(ImageControl* source, ImageControl* target, QProgressBar* progress,
                   const ResampleGeometry& geometry, Interpolation kind);

// Whether the output of `geometry` can be made: a positive pixel size and
// factors, at least one pixel each way, a size that fits in memory. When it
// cannot, the one message box that says why, and false.
bool RectificationFeasible(const ResampleGeometry& geometry);
