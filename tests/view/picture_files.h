// Pictures written for the window tests, and "Apri" driven as a user would.
#pragma once

#include <QAction>
#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QMdiArea>
#include <QTemporaryDir>
#include <algorithm>

#include "app/u_forms.h"
#include "app/u_principale.h"
#include "platform/dialogs.h"
#include "tests/gui_fixture.h"
#include "view/u_immagine.h"

// Each pixel tells its own place: red = x mod 256, green = y mod 256,
// blue = the high bits of both, so any copy can be traced to its source.
inline QRgb TracePixel(int x, int y) {
    return qRgb(x & 255, y & 255, ((x >> 8) << 4 | (y >> 8)) & 255);
}

inline QImage TracePicture(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) img.setPixel(x, y, TracePixel(x, y));
    return img;
}

class PictureRun : public VekRun {
protected:
    void SetUp() override {
        VekRun::SetUp();
        ChooseAnalytic();
    }
    void TearDown() override {
        VekRun::TearDown();
        FlushDeletes();
    }
    static void FlushDeletes() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    QString Path(const QString& name) const { return dir_.filePath(name); }
    // Saves `img` under `name`; the format follows the extension.
    QString Write(const QString& name, const QImage& img, const char* format, int quality = -1) {
        const QString p = Path(name);
        EXPECT_TRUE(img.save(p, format, quality)) << p.toStdString();
        return p;
    }
    QString WriteBytes(const QString& name, const QByteArray& bytes) {
        const QString p = Path(name);
        QFile f(p);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return p;
    }
    // "Apri" with the dialog answering `path`.
    void Open(const QString& path) {
        DialogSeam::PresetFileName(path);
        main_->Action("Apri1")->trigger();
    }
    int SubWindows() const { return main_->MdiArea->subWindowList().size(); }

    QTemporaryDir dir_;
};
