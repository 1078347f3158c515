#include "platform/canvas.h"

#include <QPainter>
#include <cstdlib>

#include "platform/rasterimage.h"

namespace {
// On-off runs of the dash-dot pen, in pixels.
constexpr int kDashDot[] = {9, 3, 3, 3};
constexpr int kDashDotPeriod = 18;

bool DashDotOn(int step) {
    int s = step % kDashDotPeriod;
    for (int i = 0; i < 4; ++i) {
        if (s < kDashDot[i]) return i % 2 == 0;
        s -= kDashDot[i];
    }
    return false;
}
}  // namespace

uint32_t Canvas::Pixel(int x, int y) const {
    return img_ ? ReadPixel(ViewOfImage(*img_), x, y) : kInvalidColor;
}

void Canvas::SetPixel(int x, int y, uint32_t rgb) {
    if (!img_ || !Inside(ViewOfImage(*img_), x, y)) return;
    reinterpret_cast<QRgb*>(img_->scanLine(y))[x] = StoredPixel(rgb);
    if (changed) changed->Mark(x, y);
}

void Canvas::Plot(int x, int y, uint32_t pen) {
    if (!img_ || x < 0 || y < 0 || x >= img_->width() || y >= img_->height()) return;
    QRgb& p = reinterpret_cast<QRgb*>(img_->scanLine(y))[x];
    if (changed) changed->Mark(x, y);
    switch (penMode) {
        case PenMode::Copy:
            p = 0xFF000000u | pen;
            break;
        case PenMode::White:
            p = 0xFFFFFFFFu;
            break;
        case PenMode::NotXor:
            p = 0xFF000000u | (~(p ^ pen) & 0x00FFFFFFu);
            break;
    }
}

// Bresenham from (x0, y0) towards (x1, y1), the end point left out.
void Canvas::ThinLine(int x0, int y0, int x1, int y1, uint32_t pen) {
    const int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
    const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    int err = dx + dy, step = 0;
    while (x0 != x1 || y0 != y1) {
        if (penStyle == PenStyle::Solid || DashDotOn(step)) Plot(x0, y0, pen);
        ++step;
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x0 += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y0 += sy;
        }
    }
}

void Canvas::LineTo(int x, int y) {
    const uint32_t pen = ToRgb(penColor);
    const int w = penWidth < 1 ? 1 : penWidth;
    // A wide pen is laid as parallel thin lines across the major axis.
    const bool mostlyHorizontal = std::abs(x - pos_.x()) >= std::abs(y - pos_.y());
    for (int o = -(w / 2); o <= (w - 1) / 2; ++o) {
        if (mostlyHorizontal)
            ThinLine(pos_.x(), pos_.y() + o, x, y + o, pen);
        else
            ThinLine(pos_.x() + o, pos_.y(), x + o, y, pen);
    }
    pos_ = {x, y};
}

void Canvas::FillRect(const QRect& r) {
    if (!img_ || brushStyle == BrushStyle::Clear) return;
    QPainter p(img_);
    p.fillRect(r, brushColor);
    if (changed) changed->MarkRect(r.x(), r.y(), r.width(), r.height());
}

void Canvas::TextOut(int x, int y, const QString& text) {
    if (!img_) return;
    QPainter p(img_);
    p.setFont(font);
    const QFontMetrics fm(font);
    if (brushStyle == BrushStyle::Solid)
        p.fillRect(QRect(x, y, fm.horizontalAdvance(text), fm.height()), brushColor);
    p.setPen(fontColor);
    p.drawText(x, y + fm.ascent(), text);
    if (changed) {
        const QRect r = fm.boundingRect(text).translated(x, y + fm.ascent()).adjusted(-2, -2, 2, 2);
        changed->MarkRect(r.x(), r.y(), r.width(), r.height());
    }
}

void Canvas::StretchCopy(const QRect& dest, const QImage& from, const QRect& src) {
    if (!img_ || src.width() <= 0 || src.height() <= 0) return;
    const QRect clipped = src.intersected(from.rect());
    if (clipped.isEmpty()) return;
    const double fx = double(dest.width()) / src.width(), fy = double(dest.height()) / src.height();
    const QRectF target(dest.x() + (clipped.x() - src.x()) * fx,
                        dest.y() + (clipped.y() - src.y()) * fy, clipped.width() * fx,
                        clipped.height() * fy);
    QPainter p(img_);
    p.setRenderHint(QPainter::SmoothPixmapTransform, false);
    p.drawImage(target, from, clipped);
    if (changed) changed->MarkRect(dest.x(), dest.y(), dest.width(), dest.height());
}
