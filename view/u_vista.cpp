#include "view/u_vista.h"

#include <QAbstractScrollArea>
#include <QScrollBar>
#include <algorithm>
#include <cmath>
#include <utility>

#include "platform/imagecontrol.h"
#include "tables/u_omnia.h"
#include "tables/u_stringhe.h"

long long Nearest(double v) { return static_cast<long long>(std::nearbyint(v)); }

QPoint GetViewCentre(const QAbstractScrollArea* window) {
    return {(window->width() - 4) / 2 + window->horizontalScrollBar()->value(),
            (window->height() - 4) / 2 + window->verticalScrollBar()->value()};
}

void CentreViewOn(QAbstractScrollArea* window, int x, int y) {
    window->horizontalScrollBar()->setValue(std::max(0, x - (window->width() - 4) / 2));
    window->verticalScrollBar()->setValue(std::max(0, y - (window->height() - 4) / 2));
}

namespace {
// Inverted arms along the middle row and column of the square that shows
// the pointer's pixel, stopping a pixel short of it so the pixel stays seen.
void DrawLensCrosshair(Canvas& canvas, int halfSide) {
    if (halfSide <= 0) return;
    const int side = 100 / (2 * halfSide);  // the lens pixels of one picture pixel
    const int first = 50, last = 50 + side - 1, middle = 50 + side / 2;
    canvas.penWidth = 1;
    canvas.penStyle = PenStyle::Solid;
    canvas.penMode = PenMode::NotXor;
    canvas.penColor = Qt::black;
    const int arms[4][4] = {{0, middle, first - 1, middle},
                            {last + 2, middle, 100, middle},
                            {middle, 0, middle, first - 1},
                            {middle, last + 2, middle, 100}};
    for (const auto& a : arms) {
        canvas.MoveTo(a[0], a[1]);
        canvas.LineTo(a[2], a[3]);
    }
    canvas.penMode = PenMode::Copy;
}
}  // namespace

void ShowLens(QAbstractScrollArea* window, ImageControl* image, ImageControl* lens, int zoom, int x,
              int y, QWidget* lensPanel) {
    const QPoint at = image->PointOfPixel(QPoint(x, y));
    lensPanel->move(at.x() - window->horizontalScrollBar()->value() - 52,
                    at.y() - window->verticalScrollBar()->value() - 52);
    lensPanel->show();
    lensPanel->raise();
    if (lens->Picture().size() != QSize(100, 100))
        lens->SetPicture(QImage(100, 100, QImage::Format_RGB32));
    const int c = 50 / std::max(1, zoom);
    Canvas& canvas = lens->canvas();
    canvas.brushStyle = BrushStyle::Solid;
    canvas.FillRect(QRect(0, 0, 100, 100));
    // Read through a const reference: the big picture is neither copied nor
    // detached from CleanBitmap by the lens.
    const QImage& source = std::as_const(*image).Picture();
    canvas.StretchCopy(QRect(0, 0, 100, 100), source, QRect(x - c, y - c, 2 * c, 2 * c));
    DrawLensCrosshair(canvas, c);
    lensPanel->update();
    image->Repaint();
    lens->Repaint();
}

void GlideViewTo(QAbstractScrollArea* window, ImageControl* image, int x0, int y0, int speed,
                 int tx, int ty) {
    const int dx = tx - x0, dy = ty - y0;
    const double d = std::sqrt(double(dx) * dx + double(dy) * dy);
    if (d <= 0) return;
    const double s = d / std::max(1, speed);
    const double sx = dx / s, sy = dy / s;
    const long long n = Nearest(s);
    for (long long i = 1; i <= n; ++i) {
        CentreViewOn(window, x0 + int(Nearest(i * sx)), y0 + int(Nearest(i * sy)));
        image->repaint();
    }
    CentreViewOn(window, tx, ty);
    image->repaint();
}

void DrawRubberBand(ImageControl* image, QPoint start, QPoint end, PenMode mode) {
    Canvas& c = image->canvas();
    c.brushStyle = BrushStyle::Clear;
    c.penStyle = PenStyle::DashDot;
    c.penMode = mode;
    c.penColor = Qt::red;
    c.MoveTo(start.x(), start.y());
    c.LineTo(end.x(), end.y());
    image->Repaint();
}

void DrawLineSegment(ImageControl* image, int x1, int y1, int x2, int y2) {
    Canvas& c = image->canvas();
    c.brushStyle = BrushStyle::Clear;
    c.penStyle = PenStyle::DashDot;
    c.penColor = Qt::white;
    c.MoveTo(x1, y1);
    c.LineTo(x2, y2);
    image->Repaint();
}

void DrawPointCross(ImageControl* image, int x, int y, const QColor& colour) {
    Canvas& c = image->canvas();
    c.penWidth = 2;
    c.penColor = colour;
    c.penStyle = PenStyle::Solid;
    c.penMode = PenMode::Copy;
    c.MoveTo(x - 10, y);
    c.LineTo(x + 10, y);
    c.MoveTo(x, y - 10);
    c.LineTo(x, y + 10);
    c.penWidth = 1;
}

namespace {
void DrawNamedCross(ImageControl* image, int x, int y, const QColor& colour,
                    const std::string& name) {
    DrawPointCross(image, x, y, colour);
    Canvas& c = image->canvas();
    c.fontColor = colour;
    c.brushStyle = BrushStyle::Clear;
    c.TextOut(x + 3, y + 3, QString::fromStdString(name));
}
}  // namespace

void DrawImagePoints(const IGrid& grid, ImageControl* image, const QColor& colour) {
    const int n = CountPoints(grid);
    for (int r = 1; r <= n; ++r) {
        const int x = int(std::clamp<long long>(ParseInt(grid.Cell(1, r)), -1000000, 1000000));
        const int y = int(std::clamp<long long>(ParseInt(grid.Cell(2, r)), -1000000, 1000000));
        DrawNamedCross(image, x, y, colour, grid.Cell(0, r));
    }
    image->Repaint();
}

void DrawObjectPoints(IGrid& grid, ImageControl* image, const QColor& colour,
                      const RectifiedFrame& frame) {
    NormalizeGridDecimals(grid);
    const int n = CountPoints(grid);
    for (int r = 1; r <= n; ++r) {
        const auto p = frame.ToPixel(TextToReal(grid.Cell(1, r)), TextToReal(grid.Cell(2, r)));
        if (p) DrawNamedCross(image, p->column, p->row, colour, grid.Cell(0, r));
    }
    image->Repaint();
}

long double DistanceBetween(long double x1, long double y1, long double x2, long double y2) {
    return std::sqrt((x1 - x2) * (x1 - x2) + (y1 - y2) * (y1 - y2));
}
