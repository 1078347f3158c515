// An analytic run with a picture open and a union table whose points follow
// a known plane transformation, so the area and the rectification have data.
#pragma once

#include <QAction>
#include <QTest>
#include <functional>

#include "app/u_avviso.h"
#include "tables/u_stringhe.h"
#include "tables/u_tabfot.h"
#include "tests/view/picture_files.h"
#include "view/u_limiti.h"

class RectifyRun : public PictureRun {
protected:
    // Object point of an image pixel (column, plain row).
    using Mapping = std::function<void(double x, double y, double& X, double& Y)>;

    void OpenPicture(const QImage& picture) {
        Open(Write("foto.bmp", picture, "BMP"));
        ASSERT_TRUE(ImageWindow);
    }
    // Union rows name, x, y, X, Y for the given pixels, and cb_fot.
    void FillUnionTable(const std::vector<QPoint>& pixels, const Mapping& objectOf) {
        StringGrid& uni = *FormTabFot->StringGrid1;
        for (int i = 0; i < int(pixels.size()); ++i) {
            double X, Y;
            objectOf(pixels[i].x(), pixels[i].y(), X, Y);
            const QString cells[5] = {QString::number(i + 1), QString::number(pixels[i].x()),
                                      QString::number(pixels[i].y()),
                                      QString::fromStdString(FormatFixed(X, 18, 9)),
                                      QString::fromStdString(FormatFixed(Y, 18, 9))};
            for (int c = 0; c < 5; ++c) uni.SetCells(c, i + 1, cells[c]);
        }
        main_->cb_fot->SetChecked(true);
    }
    static void Click(QWidget* w, QPoint p) {
        QTest::mouseMove(w, p);
        QTest::mousePress(w, Qt::LeftButton, {}, p);
        QTest::mouseRelease(w, Qt::LeftButton, {}, p);
    }
    // "Seleziona area ricampionamento" and four clicks on the photograph.
    void ChooseArea(const std::array<QPoint, 4>& corners) {
        main_->Action("Selezionaarearicampionamento1")->trigger();
        for (const QPoint& p : corners) Click(ImageWindow->Image1, p);
    }
    static QString Notice() { return FormAvviso->Label1->text(); }
    static QStringList Area() {
        return {FormLimiti->Edit1->text(), FormLimiti->Edit2->text(), FormLimiti->Edit3->text(),
                FormLimiti->Edit4->text()};
    }
};
