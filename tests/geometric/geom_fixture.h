// A geometric run with a picture open and the parallel-lines window shown;
// lines are entered by presses on the source image as a user clicks them.
#pragma once

#include <QAction>
#include <QCoreApplication>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

#include "app/u_forms.h"
#include "app/u_principale.h"
#include "geometric/u_geom.h"
#include "platform/dialogs.h"
#include "tests/gui_fixture.h"
#include "view/u_immagine.h"

class GeomRun : public VekRun {
protected:
    void SetUp() override {
        VekRun::SetUp();
        ChooseGeometric();
    }
    void TearDown() override {
        VekRun::TearDown();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    void OpenPicture(const QImage& picture) {
        const QString path = dir_.filePath("facciata.bmp");
        ASSERT_TRUE(picture.save(path, "BMP"));
        DialogSeam::PresetFileName(path);
        main_->Action("Apri1")->trigger();
        ASSERT_TRUE(ImageWindow);
        main_->Action("Individuarette2")->trigger();
    }
    void Command(const char* name) { FormGeom->Command(name)->trigger(); }
    static void Click(QPoint p) {
        QTest::mousePress(ImageWindow->Image1, Qt::LeftButton, {}, p);
        QTest::mouseRelease(ImageWindow->Image1, Qt::LeftButton, {}, p);
    }
    // Two clicks, with the pointer moved between them so the band follows.
    static void Line(QPoint a, QPoint b) {
        Click(a);
        QTest::mouseMove(ImageWindow->Image1, (a + b) / 2);
        QTest::mouseMove(ImageWindow->Image1, b);
        Click(b);
    }
    static uint32_t PixelAt(QPoint p) { return ImageWindow->Image1->canvas().Pixel(p.x(), p.y()); }

    QTemporaryDir dir_;
};
