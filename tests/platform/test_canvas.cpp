#include <gtest/gtest.h>

#include <QImage>

#include "platform/canvas.h"
#include "platform/igrid.h"
#include "platform/imagecontrol.h"
#include "view/u_vista.h"

namespace {

constexpr uint32_t kGrey = 0x404040;

QImage Filled(int w, int h, uint32_t rgb) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(QColor::fromRgb(rgb));
    return img;
}

int CountNot(const Canvas& c, int w, int h, uint32_t rgb) {
    int n = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) n += c.Pixel(x, y) != rgb;
    return n;
}

}  // namespace

TEST(CanvasTest, ReadsOutsideAreInvalidAndWritesOutsideIgnored) {
    QImage img = Filled(8, 6, kGrey);
    Canvas c(&img);
    EXPECT_EQ(c.Pixel(0, 0), kGrey);
    EXPECT_EQ(c.Pixel(7, 5), kGrey);
    for (const QPoint p : {QPoint(-1, 0), QPoint(0, -1), QPoint(8, 0), QPoint(0, 6)})
        EXPECT_EQ(c.Pixel(p.x(), p.y()), kInvalidColor);
    c.SetPixel(-1, 2, 0xFF0000);
    c.SetPixel(8, 2, 0xFF0000);
    c.SetPixel(3, 6, 0xFF0000);
    EXPECT_EQ(CountNot(c, 8, 6, kGrey), 0);
    c.SetPixel(3, 2, 0x123456);
    EXPECT_EQ(c.Pixel(3, 2), 0x123456u);
    c.SetPixel(3, 2, kInvalidColor);
    EXPECT_EQ(c.Pixel(3, 2), 0x000000u);
    // A line running off the picture draws what falls inside and no more.
    c.penColor = QColor(0, 0, 255);
    c.MoveTo(-5, 4);
    c.LineTo(20, 4);
    EXPECT_EQ(c.Pixel(0, 4), 0x0000FFu);
    EXPECT_EQ(c.Pixel(7, 4), 0x0000FFu);
}

TEST(CanvasTest, LineToLeavesOutItsEndPointAndMovesThePen) {
    QImage img = Filled(20, 20, kGrey);
    Canvas c(&img);
    c.penColor = Qt::red;
    c.MoveTo(2, 5);
    c.LineTo(12, 5);
    EXPECT_EQ(c.Pixel(2, 5), 0xFF0000u);
    EXPECT_EQ(c.Pixel(11, 5), 0xFF0000u);
    EXPECT_EQ(c.Pixel(12, 5), kGrey);
    EXPECT_EQ(CountNot(c, 20, 20, kGrey), 10);
    EXPECT_EQ(c.PenPos(), QPoint(12, 5));
    c.LineTo(12, 15);  // continues from the pen position
    EXPECT_EQ(c.Pixel(12, 5), 0xFF0000u);
    EXPECT_EQ(c.Pixel(12, 14), 0xFF0000u);
    EXPECT_EQ(c.Pixel(12, 15), kGrey);
    c.MoveTo(3, 3);
    c.LineTo(3, 3);  // nothing at all
    EXPECT_EQ(c.Pixel(3, 3), kGrey);
}

TEST(CanvasTest, NotXorTwiceRestoresAndWhiteIgnoresTheColour) {
    QImage img(30, 30, QImage::Format_RGB32);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 30; ++x) img.setPixel(x, y, qRgb(x * 8, y * 8, (x * y) & 255));
    const QImage before = img.copy();
    Canvas c(&img);
    c.penColor = QColor(200, 100, 50);
    c.penMode = PenMode::NotXor;
    c.MoveTo(1, 2);
    c.LineTo(25, 19);
    EXPECT_NE(img, before);
    const uint32_t old = before.pixel(1, 2) & 0xFFFFFF;
    EXPECT_EQ(c.Pixel(1, 2), ~(old ^ 0xC86432u) & 0xFFFFFF);
    c.MoveTo(1, 2);
    c.LineTo(25, 19);
    EXPECT_EQ(img, before);

    c.penMode = PenMode::White;
    c.MoveTo(0, 10);
    c.LineTo(10, 10);
    for (int x = 0; x < 10; ++x) EXPECT_EQ(c.Pixel(x, 10), 0xFFFFFFu);
}

TEST(CanvasTest, DashDotLeavesGapsAndWidePenDoublesTheLine) {
    QImage img = Filled(60, 10, kGrey);
    Canvas c(&img);
    c.penColor = Qt::black;
    c.penStyle = PenStyle::DashDot;
    c.MoveTo(0, 2);
    c.LineTo(54, 2);
    int on = 0;
    for (int x = 0; x < 54; ++x) on += c.Pixel(x, 2) == 0;
    EXPECT_GT(on, 20);
    EXPECT_LT(on, 54);
    EXPECT_EQ(c.Pixel(0, 2), 0u);      // starts with a dash
    EXPECT_EQ(c.Pixel(10, 2), kGrey);  // and has a gap after it
    c.penStyle = PenStyle::Solid;
    c.penWidth = 2;
    c.MoveTo(0, 6);
    c.LineTo(10, 6);
    EXPECT_EQ(c.Pixel(5, 5), 0u);
    EXPECT_EQ(c.Pixel(5, 6), 0u);
    EXPECT_EQ(c.Pixel(5, 7), kGrey);
}

TEST(CanvasTest, StretchCopyMagnifiesAndLeavesOutsideAsItWas) {
    QImage src(4, 4, QImage::Format_RGB32);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) src.setPixel(x, y, qRgb(x * 60, y * 60, 0));
    QImage dst = Filled(40, 40, kGrey);
    Canvas c(&dst);
    c.StretchCopy(QRect(0, 0, 40, 40), src, QRect(-2, 0, 4, 4));  // left half outside
    EXPECT_EQ(c.Pixel(5, 5), kGrey);
    EXPECT_EQ(c.Pixel(25, 5), 0x000000u);
    EXPECT_EQ(c.Pixel(35, 35), (60u << 16) | (180u << 8));
}

// ---- Drawing helpers on an image control --------------------------------------

class DrawingTest : public ::testing::Test {
protected:
    DrawingTest() : image("Image1") { image.SetPicture(Filled(80, 60, kGrey)); }
    ImageControl image;
};

TEST_F(DrawingTest, PointCrossInTheChosenColourWithArmsOfTen) {
    DrawPointCross(&image, 30, 20, QColor(0, 255, 0));
    const Canvas& c = image.canvas();
    EXPECT_EQ(c.Pixel(20, 20), 0x00FF00u);
    EXPECT_EQ(c.Pixel(39, 20), 0x00FF00u);
    EXPECT_EQ(c.Pixel(40, 20), kGrey);  // end point left out
    EXPECT_EQ(c.Pixel(30, 10), 0x00FF00u);
    EXPECT_EQ(c.Pixel(30, 29), 0x00FF00u);
    EXPECT_EQ(c.Pixel(30, 30), kGrey);
    EXPECT_EQ(c.Pixel(25, 19), 0x00FF00u);  // pen width 2
    EXPECT_EQ(c.Pixel(25, 22), kGrey);
}

TEST_F(DrawingTest, RubberBandNotXorTwiceRestoresAndWhiteStays) {
    const QImage before = image.Picture().copy();
    DrawRubberBand(&image, QPoint(5, 5), QPoint(70, 40), PenMode::NotXor);
    EXPECT_NE(image.Picture(), before);
    EXPECT_EQ(image.canvas().Pixel(5, 5), ~(kGrey ^ 0xFF0000u) & 0xFFFFFF);  // red pen
    EXPECT_EQ(image.canvas().brushStyle, BrushStyle::Clear);
    DrawRubberBand(&image, QPoint(5, 5), QPoint(70, 40), PenMode::NotXor);
    EXPECT_EQ(image.Picture(), before);
    DrawRubberBand(&image, QPoint(0, 50), QPoint(40, 50), PenMode::White);
    EXPECT_EQ(image.canvas().Pixel(0, 50), 0xFFFFFFu);
    EXPECT_EQ(image.canvas().Pixel(10, 50), kGrey);  // dash-dot gap
}

TEST_F(DrawingTest, LineSegmentIsWhiteDashDotInTheCanvasMode) {
    image.canvas().penMode = PenMode::NotXor;
    DrawLineSegment(&image, 0, 10, 40, 10);
    EXPECT_EQ(image.canvas().penMode, PenMode::NotXor);
    EXPECT_EQ(image.canvas().Pixel(0, 10), ~(kGrey ^ 0xFFFFFFu) & 0xFFFFFF);
    EXPECT_EQ(image.canvas().Pixel(10, 10), kGrey);
    image.canvas().penMode = PenMode::Copy;
    DrawLineSegment(&image, 0, 20, 40, 20);
    EXPECT_EQ(image.canvas().Pixel(0, 20), 0xFFFFFFu);
}

TEST_F(DrawingTest, ImagePointsAreReadFromTheTableRows) {
    GridCells grid(3, 10);
    grid.SetCell(0, 1, "A");
    grid.SetCell(1, 1, "20");
    grid.SetCell(2, 1, "15");
    grid.SetCell(0, 2, "B");
    grid.SetCell(1, 2, "60");
    grid.SetCell(2, 2, "40");
    grid.SetCell(1, 4, "5");  // after the empty row 3: not a point
    grid.SetCell(2, 4, "5");
    DrawImagePoints(grid, &image, Qt::blue);
    const Canvas& c = image.canvas();
    EXPECT_EQ(c.Pixel(12, 15), 0x0000FFu);
    EXPECT_EQ(c.Pixel(60, 31), 0x0000FFu);
    EXPECT_EQ(c.Pixel(5, 5), kGrey);
    EXPECT_EQ(c.fontColor, QColor(Qt::blue));
}

TEST_F(DrawingTest, ObjectPointsMapFromTheLowerLeftCorner) {
    GridCells grid(3, 10);
    grid.SetCell(0, 1, "P");
    grid.SetCell(1, 1, "102,5");  // commas are normalised first
    grid.SetCell(2, 1, "203.0");
    // x0 = 100, y0 = 200, pixel 0.1 x 0.1: column 25, row 60 - 30 = 30.
    DrawObjectPoints(grid, &image, Qt::red,
                     AnalyticRectifiedFrame(100.0L, 0, 200.0L, 0.1L, image.Picture().height()));
    EXPECT_EQ(grid.Cell(1, 1), "102.5");
    EXPECT_EQ(image.canvas().Pixel(16, 30), 0xFF0000u);
    EXPECT_EQ(image.canvas().Pixel(25, 21), 0xFF0000u);
}

TEST(ViewHelpers, DistanceAndNearest) {
    EXPECT_EQ(DistanceBetween(1, 2, 4, 6), 5.0L);
    EXPECT_EQ(DistanceBetween(-3, 0, -3, 0), 0.0L);
    EXPECT_EQ(Nearest(2.5), 2);
    EXPECT_EQ(Nearest(3.5), 4);
    EXPECT_EQ(Nearest(-2.5), -2);
    EXPECT_EQ(Nearest(2.51), 3);
}
