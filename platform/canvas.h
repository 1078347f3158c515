// Raster canvas on a 32-bit picture: pixel read and write, move-to /
// line-to with the end point excluded, pen width, colour, solid or dash-dot
// style and the copy, not-xor and white modes, text output, stretched copy.
// Pixel (0, 0) is top-left; rows grow downwards.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPoint>
#include <cstdint>

#include "platform/raster.h"
#include "platform/reduction.h"

// Colours are 0x00RRGGBB and pixels follow the rules of platform/raster.h:
// reading outside the picture gives kInvalidColor, writing a value with its
// top byte set stores black.

enum class PenMode { Copy, NotXor, White };
enum class PenStyle { Solid, DashDot };
enum class BrushStyle { Solid, Clear };

class Canvas {
public:
    explicit Canvas(QImage* image) : img_(image) {}

    uint32_t Pixel(int x, int y) const;
    void SetPixel(int x, int y, uint32_t rgb);

    void MoveTo(int x, int y) { pos_ = {x, y}; }
    void LineTo(int x, int y);
    QPoint PenPos() const { return pos_; }

    int penWidth = 1;
    QColor penColor = Qt::black;
    PenStyle penStyle = PenStyle::Solid;
    PenMode penMode = PenMode::Copy;
    BrushStyle brushStyle = BrushStyle::Solid;
    QColor brushColor = Qt::white;
    QColor fontColor = Qt::black;
    QFont font = QFont("DejaVu Sans", 8);
    // Where every change of the picture is marked, when set.
    ChangedSquares* changed = nullptr;

    void FillRect(const QRect& r);
    void TextOut(int x, int y, const QString& text);
    // Copies `src` of `from` stretched into `dest` of this picture; parts of
    // `src` outside `from` are left as they are in the destination.
    void StretchCopy(const QRect& dest, const QImage& from, const QRect& src);

private:
    void Plot(int x, int y, uint32_t pen);
    void ThinLine(int x0, int y0, int x1, int y1, uint32_t pen);
    QImage* img_;
    QPoint pos_{0, 0};
};

inline uint32_t ToRgb(const QColor& c) { return c.rgb() & 0x00FFFFFFu; }
