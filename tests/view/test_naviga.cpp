#include <QMdiSubWindow>
#include <QScrollBar>
#include <QTest>

#include "app/u_avviso.h"
#include "app/u_opzioni.h"
#include "tests/view/picture_files.h"
#include "view/u_naviga.h"
#include "view/u_vista.h"

namespace {
// Records the horizontal positions a glide passes through.
struct ScrollLog {
    explicit ScrollLog(QScrollBar* bar) {
        QObject::connect(bar, &QScrollBar::valueChanged, [this](int v) { values << v; });
    }
    QList<int> values;
};
}  // namespace

class Navigator : public PictureRun {
protected:
    // The child made small by hand, so that even a 640 x 480 picture
    // scrolls both ways.
    void OpenSmallFramed(int w, int h) {
        Open(Write(QString("n%1x%2.bmp").arg(w).arg(h), TracePicture(w, h), "BMP"));
        ASSERT_NE(ImageWindow, nullptr);
        QMdiSubWindow* sub = main_->MdiArea->subWindowList().first();
        sub->showNormal();
        sub->setGeometry(0, 0, 320, 260);
    }
    void ClickNavigator(QPoint p) { QTest::mouseClick(FormNaviga->Image1, Qt::LeftButton, {}, p); }
};

TEST_F(Navigator, ThumbnailClickGlidesToTheMatchingSourcePixel) {
    OpenSmallFramed(640, 480);
    EXPECT_EQ(FormNaviga->Image1->size(), QSize(300, 240));
    ClickNavigator(QPoint(150, 120));
    EXPECT_EQ(GetViewCentre(ImageWindow), QPoint(300, 240));
}

TEST_F(Navigator, SquarePictureMapsThroughStepThree) {
    OpenSmallFramed(1000, 1000);
    EXPECT_EQ(FormNaviga->Image1->size(), QSize(333, 300));
    ClickNavigator(QPoint(100, 100));
    EXPECT_EQ(GetViewCentre(ImageWindow), QPoint(300, 300));
}

TEST_F(Navigator, SmallPictureIsShownWholeWithRatioOne) {
    OpenSmallFramed(560, 450);
    EXPECT_EQ(FormNaviga->Image1->size(), QSize(560, 450));
    EXPECT_EQ(std::as_const(*FormNaviga->Image1).Picture().pixel(333, 222), TracePixel(333, 222));
    ClickNavigator(QPoint(280, 225));
    EXPECT_EQ(GetViewCentre(ImageWindow), QPoint(280, 225));
}

TEST_F(Navigator, GlideTakesStepsOfTheChosenSpeedAndEndsOnTarget) {
    OpenSmallFramed(1500, 1100);
    CentreViewOn(ImageWindow, 300, 400);
    const QPoint start = GetViewCentre(ImageWindow);
    ASSERT_EQ(start, QPoint(300, 400));
    const int h0 = ImageWindow->horizontalScrollBar()->value();
    ScrollLog log(ImageWindow->horizontalScrollBar());
    GlideViewTo(ImageWindow, ImageWindow->Image1, 300, 400, 25, 550, 400);
    ASSERT_EQ(log.values.size(), 10);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(log.values[i], h0 + 25 * (i + 1));
    EXPECT_EQ(GetViewCentre(ImageWindow), QPoint(550, 400));

    // To the current centre: nothing at all.
    log.values.clear();
    GlideViewTo(ImageWindow, ImageWindow->Image1, 550, 400, 25, 550, 400);
    EXPECT_TRUE(log.values.isEmpty());
    // Less than half a step: no intermediate step, straight to the target.
    GlideViewTo(ImageWindow, ImageWindow->Image1, 550, 400, 25, 560, 400);
    EXPECT_EQ(log.values, QList<int>{h0 + 260});
    // 25 px at 10 a step is 2.5 steps: halves go to even, so two steps.
    log.values.clear();
    GlideViewTo(ImageWindow, ImageWindow->Image1, 560, 400, 10, 585, 400);
    EXPECT_EQ(log.values, QList<int>({h0 + 270, h0 + 280, h0 + 285}));
    // The speed option drives the navigator's glide.
    FormOpzioni->SpinEdit3->setValue(50);
    log.values.clear();
    const QSize nav = FormNaviga->Image1->size();  // 300 x 220, step 5
    ASSERT_EQ(nav, QSize(300, 220));
    ClickNavigator(QPoint(162, 80));  // (810, 400): 250 px at 50 a step
    EXPECT_EQ(log.values.size(), 5);
    EXPECT_EQ(GetViewCentre(ImageWindow), QPoint(810, 400));
}

TEST_F(Navigator, MenuShowsAndHidesItWithTheCheckMark) {
    main_->Action("Navigatore2")->trigger();  // no picture yet
    EXPECT_EQ(FormAvviso->Label1->text(), " nessuna immagine attiva");
    EXPECT_FALSE(FormNaviga->isVisible());
    EXPECT_FALSE(main_->Action("Navigatore2")->isChecked());

    OpenSmallFramed(640, 480);
    main_->Action("Navigatore2")->trigger();
    EXPECT_TRUE(FormNaviga->isVisible());
    EXPECT_TRUE(main_->Action("Navigatore2")->isChecked());
    EXPECT_EQ(FormNaviga->pos(), QPoint(main_->width() - FormNaviga->width() - 5, 40));
    EXPECT_EQ(FormNaviga->Image1->width(), FormNaviga->width());
    main_->Action("Navigatore2")->trigger();
    EXPECT_FALSE(FormNaviga->isVisible());
    EXPECT_FALSE(main_->Action("Navigatore2")->isChecked());
}
