// View geometry and the drawing helpers shared by both image windows.
// Pixel (0, 0) is the top-left pixel of a picture and rows grow downwards;
// an image control sits at the origin of its window's scrolling area and
// reports the picture pixel under the pointer. View centres and scroll
// positions are screen pixels of the zoomed picture (picture pixels at zoom 1).
#pragma once

#include <QColor>
#include <QPoint>

#include "platform/canvas.h"
#include "rectify/u_riferimento.h"

class QAbstractScrollArea;
class QWidget;
class ImageControl;
class IGrid;

// Nearest integer, halves to even.
long long Nearest(double v);

// (W - 4) div 2 + horizontal position, (H - 4) div 2 + vertical position,
// with W, H the window's outer size.
QPoint GetViewCentre(const QAbstractScrollArea* window);
// Scroll positions := max(0, x - (W - 4) div 2), max(0, y - (H - 4) div 2);
// the scroll bars clamp the far end.
void CentreViewOn(QAbstractScrollArea* window, int x, int y);
// Moves the lens panel to 52 pixels above and left of picture pixel (x, y)
// on the screen, shows it and copies the square of half-side 50 div zoom
// around (x, y) into the lens, with a cross-hair on the pixel a click there
// takes (the lens's middle square).
void ShowLens(QAbstractScrollArea* window, ImageControl* image, ImageControl* lens, int zoom, int x,
              int y, QWidget* lensPanel);
// Glides the view centre from (x0, y0) to (tx, ty) in steps of about `speed`
// pixels, repainting after each step, and ends exactly on the target.
void GlideViewTo(QAbstractScrollArea* window, ImageControl* image, int x0, int y0, int speed,
                 int tx, int ty);

// The rubber band: dash-dot, red pen, the given mode (not-xor while it
// follows the pointer, white for the line that stays).
void DrawRubberBand(ImageControl* image, QPoint start, QPoint end, PenMode mode);
// A white dash-dot segment in the canvas's current pen mode.
void DrawLineSegment(ImageControl* image, int x1, int y1, int x2, int y2);
// A cross of pen width 2 with arms of 10 pixels.
void DrawPointCross(ImageControl* image, int x, int y, const QColor& colour);
// Crosses and names of the table's points (columns 1, 2 read with ParseInt).
void DrawImagePoints(const IGrid& grid, ImageControl* image, const QColor& colour);
// Crosses and names of object points at the pixels `frame` maps them to
// (RectifiedFrame::ToPixel). The grid's commas are normalised first.
void DrawObjectPoints(IGrid& grid, ImageControl* image, const QColor& colour,
                      const RectifiedFrame& frame);

long double DistanceBetween(long double x1, long double y1, long double x2, long double y2);
