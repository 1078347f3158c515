// A run with the analytic method chosen and a small grey picture open in
// the source image window, driven through the windows' own commands.
#pragma once

#include <QAction>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

#include "tables/u_omnia.h"
#include "tables/u_tabimm.h"
#include "tests/gui_fixture.h"
#include "view/u_immagine.h"

class TableRun : public VekRun {
protected:
    static constexpr QRgb kGround = 0xFF808080u;

    void SetUp() override {
        VekRun::SetUp();
        ChooseAnalytic();
        ASSERT_TRUE(dir_.isValid());
    }
    QString PathOf(const QString& name) const { return dir_.filePath(name); }
    void WriteFile(const QString& name, const QByteArray& bytes) const {
        QFile f(PathOf(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray ReadFile(const QString& name) const {
        QFile f(PathOf(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    // Opens a w x h grey picture through "Apri".
    void OpenPicture(int w = 200, int h = 150, const char* file = "foto.bmp") {
        QImage img(w, h, QImage::Format_RGB32);
        img.fill(kGround);
        ASSERT_TRUE(img.save(PathOf(file)));
        DialogSeam::PresetFileName(PathOf(file));
        main_->Action("Apri1")->trigger();
        ASSERT_TRUE(main_->cb_imm->Checked());
        ASSERT_NE(ImageWindow, nullptr);
    }
    void Command(const char* name) { FormTabImm->Command(name)->trigger(); }
    void PressImage(int x, int y, Qt::MouseButton b = Qt::LeftButton) {
        QTest::mousePress(ImageWindow->Image1, b, {}, QPoint(x, y));
        QTest::mouseRelease(ImageWindow->Image1, b, {}, QPoint(x, y));
    }
    // A press on the picture at (x, y) and "Registra punto".
    void Collimate(int x, int y) {
        PressImage(x, y);
        Command("Registrapunto1");
    }
    void PressGridRow(int row) {
        StringGrid* g = FormTabImm->StringGrid1;
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, g->RowRect(row).center());
    }
    QRgb PixelAt(int x, int y) const { return ImageWindow->Image1->Picture().pixel(x, y); }
    // The left and upper arms of a cross, clear of the name written at +3, +3.
    bool CrossAt(int x, int y, QColor c) const {
        return PixelAt(x - 8, y) == c.rgb() && PixelAt(x, y - 8) == c.rgb();
    }
    bool NoMarkAt(int x, int y) const {
        return PixelAt(x - 8, y) == kGround && PixelAt(x, y - 8) == kGround;
    }
    QString Cell(int c, int r) const { return FormTabImm->StringGrid1->Cells(c, r); }

    QTemporaryDir dir_;
};
