#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

#include "app/u_opzioni.h"
#include "app/u_stato.h"
#include "tables/u_tabimm.h"
#include "tests/view/picture_files.h"
#include "view/u_naviga.h"
#include "view/u_vista.h"

namespace {

struct ZoomCase {
    Zoom zoom;
    const char* name;
};

class PictureZoom : public PictureRun, public ::testing::WithParamInterface<ZoomCase> {};

// Picture points that a click at 100 % takes as their own pixel and that
// the pointer can also reach at 1/4: near a corner of a 4 x 4 block.
const QPointF kSpots[] = {{400.5, 300.5}, {1204.3, 800.9}, {8.5, 1096.2}, {4.2, 4.7}};

}  // namespace

TEST_P(PictureZoom, ClickAndReadoutTakeThePixelUnderThePointer) {
    Open(Write("zoom.bmp", TracePicture(1500, 1100), "BMP"));
    ASSERT_NE(ImageWindow, nullptr);
    main_->rb_collima->SetChecked(true);
    const Zoom z = GetParam().zoom;
    ImageWindow->SetZoom(z);
    ImageControl* image = ImageWindow->Image1;
    EXPECT_EQ(image->size(), QSize(int(1500 * z.Value()), int(1100 * z.Value())));
    for (const QPointF spot : kSpots) {
        const QPoint at(int(spot.x() * z.Value()), int(spot.y() * z.Value()));
        QMouseEvent move(QEvent::MouseMove, at, image->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                         {});
        QApplication::sendEvent(image, &move);
        QTest::mouseClick(image, Qt::LeftButton, {}, at);
        const QString x = QString::number(int(spot.x())), y = QString::number(int(spot.y()));
        EXPECT_EQ(FormTabImm->Edit2->text(), x);
        EXPECT_EQ(FormTabImm->Edit3->text(), y);
        EXPECT_EQ(Panel(MainPanel::PointerX), " x: " + x);
        EXPECT_EQ(Panel(MainPanel::PointerY), " y: " + y);
    }
}

INSTANTIATE_TEST_SUITE_P(Zooms, PictureZoom,
                         ::testing::Values(ZoomCase{{1, 4}, "quarter"}, ZoomCase{{1, 2}, "half"},
                                           ZoomCase{{1, 1}, "one"}, ZoomCase{{2, 1}, "two"},
                                           ZoomCase{{8, 1}, "eight"}),
                         [](const auto& info) { return std::string(info.param.name); });

using PictureZoomView = PictureRun;

TEST_F(PictureZoomView, MarksAtZoomTwoCoverTheSamePicturePixels) {
    Open(Write("marks.bmp", TracePicture(600, 400), "BMP"));
    ASSERT_NE(ImageWindow, nullptr);
    ImageControl* image = ImageWindow->Image1;
    DrawPointCross(image, 100, 80, Qt::red);
    DrawRubberBand(image, QPoint(90, 60), QPoint(130, 95), PenMode::White);
    const QRect area(85, 55, 50, 45);
    const QImage one = image->grab(area).toImage();
    ImageWindow->SetZoom(Zoom{2, 1});
    const QImage two = image->grab(QRect(area.topLeft() * 2, area.size() * 2)).toImage();
    for (int y = 0; y < area.height(); ++y)
        for (int x = 0; x < area.width(); ++x)
            for (int k = 0; k < 4; ++k)
                ASSERT_EQ(two.pixel(2 * x + k % 2, 2 * y + k / 2), one.pixel(x, y))
                    << x << " " << y;
}

TEST_F(PictureZoomView, FitShowsTheWholePictureOnBothScreens) {
    Open(Write("fit.bmp", TracePicture(2400, 1600), "BMP"));
    ASSERT_NE(ImageWindow, nullptr);
    for (const QSize screen : {QSize(1366, 768), QSize(1920, 1080)}) {
        main_->resize(screen - QSize(0, 40));  // a task bar below
        QApplication::processEvents();
        main_->Action("Adattaallafinestra1")->trigger();
        QApplication::processEvents();
        const QSize view = ImageWindow->viewport()->size(), shown = ImageWindow->Image1->size();
        EXPECT_TRUE(shown.width() <= view.width() && shown.height() <= view.height());
        EXPECT_TRUE(shown.width() == view.width() || shown.height() == view.height());
        EXPECT_EQ(ImageWindow->horizontalScrollBar()->maximum(), 0);
        EXPECT_EQ(ImageWindow->verticalScrollBar()->maximum(), 0);
        main_->Action("Dimensionereale1")->trigger();
        EXPECT_EQ(ImageWindow->Image1->size(), QSize(2400, 1600));
    }
}

TEST_F(PictureZoomView, WheelZoomsAboutThePointerAndScrollsBothWays) {
    Open(Write("wheel.bmp", TracePicture(1500, 1100), "BMP"));
    ASSERT_NE(ImageWindow, nullptr);
    QScrollBar* h = ImageWindow->horizontalScrollBar();
    QScrollBar* v = ImageWindow->verticalScrollBar();
    CentreViewOn(ImageWindow, 700, 500);
    const QPoint pointer(150, 100);
    auto wheel = [&](Qt::KeyboardModifiers keys, int delta) {
        QWheelEvent e(pointer, ImageWindow->viewport()->mapToGlobal(pointer), {}, {0, delta},
                      Qt::NoButton, keys, Qt::NoScrollPhase, false);
        QApplication::sendEvent(ImageWindow->viewport(), &e);
    };
    auto under = [&] {
        return ImageWindow->Image1->PixelAt(pointer + QPoint(h->value(), v->value()));
    };
    const QPoint before = under();
    wheel(Qt::ControlModifier, 120);
    EXPECT_EQ(ImageWindow->Image1->zoom(), (Zoom{2, 1}));
    EXPECT_EQ(under(), before);
    wheel(Qt::ControlModifier, -120);
    wheel(Qt::ControlModifier, -120);
    EXPECT_EQ(ImageWindow->Image1->zoom(), (Zoom{2, 3}));
    EXPECT_LE((under() - before).manhattanLength(), 2);
    const int x0 = h->value(), y0 = v->value();
    wheel(Qt::ShiftModifier, -120);
    EXPECT_GT(h->value(), x0);
    EXPECT_EQ(v->value(), y0);
    wheel(Qt::NoModifier, -120);
    EXPECT_GT(v->value(), y0);
}

TEST_F(PictureZoomView, LensCrossHairMarksThePixelAClickTakes) {
    Open(Write("lente.bmp", TracePicture(1500, 1100), "BMP"));
    ASSERT_NE(ImageWindow, nullptr);
    main_->rb_collima->SetChecked(true);
    main_->Action("Zoom2")->trigger();
    FormOpzioni->SpinEdit1->setValue(5);  // half-side 10: 5 lens pixels a picture pixel
    ImageControl* image = ImageWindow->Image1;
    const QImage& lens = std::as_const(*ImageWindow->Image2).Picture();
    for (const Zoom z : {Zoom{1, 4}, Zoom{2, 1}}) {
        ImageWindow->SetZoom(z);
        const QPoint at = image->PointOfPixel(QPoint(700, 500)) + QPoint(1, 0);
        QTest::mousePress(image, Qt::RightButton, {}, at);
        QTest::mousePress(image, Qt::LeftButton, Qt::NoModifier, at);
        const QPoint p(FormTabImm->Edit2->text().toInt(), FormTabImm->Edit3->text().toInt());
        const QPoint scroll(ImageWindow->horizontalScrollBar()->value(),
                            ImageWindow->verticalScrollBar()->value());
        EXPECT_EQ(ImageWindow->Panel1->pos(), image->PointOfPixel(p) - scroll - QPoint(52, 52));
        // The middle square is the clicked pixel, left as it is...
        EXPECT_EQ(lens.pixel(52, 52), TracePixel(p.x(), p.y()));
        // ...and the arms around it invert the picture they cross.
        EXPECT_EQ(lens.pixel(20, 52) & 0xFFFFFF, ~TracePixel(p.x() - 6, p.y()) & 0xFFFFFF);
        EXPECT_EQ(lens.pixel(52, 90) & 0xFFFFFF, ~TracePixel(p.x(), p.y() + 8) & 0xFFFFFF);
        EXPECT_EQ(lens.pixel(20, 20), TracePixel(p.x() - 6, p.y() - 6));
        QTest::mouseRelease(image, Qt::LeftButton, {}, at);
        QTest::mouseRelease(image, Qt::RightButton, {}, at);
    }
}

TEST_F(PictureZoomView, NavigatorFrameShowsTheViewAtEveryZoom) {
    Open(Write("frame.bmp", TracePicture(500, 400), "BMP"));  // shown whole: ratio 1
    ASSERT_NE(ImageWindow, nullptr);
    for (const Zoom z : {Zoom{1, 1}, Zoom{2, 1}, Zoom{1, 2}}) {
        ImageWindow->SetZoom(z);
        CentreViewOn(ImageWindow, 400, 300);
        const QSize view = ImageWindow->viewport()->size();
        const QPoint first(ImageWindow->horizontalScrollBar()->value(),
                           ImageWindow->verticalScrollBar()->value());
        const QPoint last = first + QPoint(view.width() - 1, view.height() - 1);
        const QPoint end(std::min(499, PixelUnder(last.x(), z)),
                         std::min(399, PixelUnder(last.y(), z)));
        EXPECT_EQ(FormNaviga->Image1->Frame(),
                  QRect(QPoint(PixelUnder(first.x(), z), PixelUnder(first.y(), z)), end));
    }
    // A click on the navigator centres the view there.
    ImageWindow->SetZoom(Zoom{2, 1});
    FormOpzioni->SpinEdit3->setValue(50);
    QTest::mouseClick(FormNaviga->Image1, Qt::LeftButton, {}, QPoint(250, 150));
    EXPECT_EQ(GetViewCentre(ImageWindow), ImageWindow->Image1->PointOfPixel(QPoint(250, 150)));
    EXPECT_TRUE(FormNaviga->Image1->Frame().contains(QPoint(250, 150)));
}

TEST_F(PictureZoomView, ReducedDrawingFollowsMarksAndTheirRemoval) {
    Open(Write("ridotta.bmp", TracePicture(1200, 800), "BMP"));
    ASSERT_NE(ImageWindow, nullptr);
    ImageControl* image = ImageWindow->Image1;
    image->FinishReducedCopies();
    ASSERT_TRUE(image->HasReducedCopies());
    ImageWindow->SetZoom(Zoom{1, 4});
    const QRect block(50, 25, 20, 20);  // picture (200, 100) to (280, 180)
    const QImage clean = image->Rendered(block);
    image->canvas().brushColor = Qt::white;
    image->canvas().FillRect(QRect(200, 100, 80, 80));
    EXPECT_EQ(image->Rendered(block).pixel(10, 10), 0xFFFFFFFFu);
    image->SetPicture(CleanBitmap);
    EXPECT_EQ(image->Rendered(block), clean);
    // Each screen pixel is the mean of the 4 x 4 pixels it covers.
    EXPECT_NEAR(qRed(clean.pixel(0, 0)), 201.5, 1);
    EXPECT_NEAR(qGreen(clean.pixel(0, 0)), 101.5, 1);
}
