// The analytic road from the photograph to the parameters, as a surveyor
// walks it: open, collimate by clicks, save the image table, load object
// coordinates, build the union table, estimate, draw the residuals, close.
#include <QAction>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>

#include "analytic/u_proiettiva.h"
#include "analytic/u_tabres.h"
#include "analytic/u_tabrpar.h"
#include "tables/u_omnia.h"
#include "tables/u_stringhe.h"
#include "tables/u_tabfot.h"
#include "tables/u_tabimm.h"
#include "tables/u_tabogg.h"
#include "tests/gui_fixture.h"
#include "view/u_immagine.h"

namespace {
// The plane of the facade as the camera saw it: image column, row -> metres.
const Projective kObjectOf{
    {0.0110L, 0.0009L, 0.0004L, -0.0105L, -1.25L, 14.5L, 0.00012L, 0.00005L}};
const int kPixels[6][2] = {{120, 90},   {1480, 110}, {1420, 1080},
                           {160, 1120}, {800, 600},  {300, 700}};
}  // namespace

using AnalyticRoad = VekRun;

TEST_F(AnalyticRoad, FromPhotographToParametersAndBack) {
    QTemporaryDir dir;
    ChooseAnalytic();
    QImage photo(1600, 1200, QImage::Format_RGB32);
    photo.fill(QColor(90, 80, 70));
    ASSERT_TRUE(photo.save(dir.filePath("IMG_0001.JPG"), "JPG"));
    DialogSeam::PresetFileName(dir.filePath("IMG_0001.JPG"));
    main_->Action("Apri1")->trigger();
    ASSERT_TRUE(main_->cb_imm->Checked());

    main_->Action("Visualizza6")->trigger();
    FormTabImm->Command("Iniziacollimazione1")->trigger();
    EXPECT_EQ(Panel(5), " collimazione");
    for (const auto& p : kPixels) {
        QTest::mousePress(ImageWindow->Image1, Qt::LeftButton, {}, QPoint(p[0], p[1]));
        QTest::mouseRelease(ImageWindow->Image1, Qt::LeftButton, {}, QPoint(p[0], p[1]));
        FormTabImm->Command("Registrapunto1")->trigger();
    }
    StringGrid& img = *FormTabImm->StringGrid1;
    ASSERT_EQ(CountPoints(img), 6);
    EXPECT_EQ(img.Cells(0, 6), "6");
    EXPECT_EQ(img.Cells(1, 2), "1480");
    EXPECT_EQ(FormTabImm->Edit1->text(), "7");
    EXPECT_EQ(ImageWindow->Image1->canvas().Pixel(120 - 8, 90), 0xFF0000u);  // a red cross

    DialogSeam::PresetFileName(dir.filePath("facciata"));
    main_->Action("Salva5")->trigger();
    QFile imm(dir.filePath("facciata.imm"));
    ASSERT_TRUE(imm.open(QIODevice::ReadOnly));
    EXPECT_TRUE(imm.readAll().startsWith("1  120  90\r\n2  1480  110\r\n"));

    QByteArray ogg;
    for (int i = 0; i < 6; ++i) {
        const PlanePoint q = kObjectOf.Apply(kPixels[i][0], kPixels[i][1]).value();
        ogg += QByteArray::number(i + 1) + "  " +
               QByteArray::fromStdString(FormatFixed(q.x, 10, 4)).replace('.', ',') + "  " +
               QByteArray::fromStdString(FormatFixed(q.y, 10, 4)).replace('.', ',') + "\n";
    }
    QFile oggFile(dir.filePath("facciata.ogg"));
    ASSERT_TRUE(oggFile.open(QIODevice::WriteOnly));
    oggFile.write(ogg);
    oggFile.close();
    DialogSeam::PresetFileName(dir.filePath("facciata.ogg"));
    main_->Action("Carica5")->trigger();
    ASSERT_EQ(CountPoints(*FormTabOgg->StringGrid1), 6);
    EXPECT_FALSE(FormTabOgg->StringGrid1->Cells(1, 1).contains(','));

    FormTabFot->Command("Creafilefot1")->trigger();
    ASSERT_TRUE(main_->cb_fot->Checked());
    EXPECT_EQ(FormTabFot->StringGrid1->Cells(1, 3), "1420");

    main_->Action("Residui2")->trigger();
    FormTabRes->Command("calcolaparametridiretti1")->trigger();
    ASSERT_TRUE(DialogSeam::Messages().isEmpty())
        << DialogSeam::Messages().join("\n").toStdString();
    const StringGrid& par = *FormTabPar->StringGrid1;
    // Object coordinates rounded to the millimetre: the parameters come back close.
    EXPECT_NEAR(double(TextToReal(par.Cell(1, 1))), 0.0110, 2e-5);
    EXPECT_NEAR(double(TextToReal(par.Cell(1, 5))), -1.25, 2e-3);
    EXPECT_NEAR(double(TextToReal(par.Cell(1, 7))), 0.00012, 2e-7);
    EXPECT_LT(double(TextToReal(FormTabRes->Edit1->text().toStdString())), 1e-5);
    EXPECT_TRUE(FormTabRes->StatusBar1->Panel(1).startsWith(" sqm:  "));

    FormTabRes->Command("disegnaresidui1")->trigger();
    const StringGrid& res = *FormTabRes->StringGrid1;
    ASSERT_EQ(CountPoints(res), 6);
    EXPECT_NEAR(double(TextToReal(res.Cell(1, 5))), 800, 0.5);  // back in pixels
    EXPECT_NEAR(double(TextToReal(res.Cell(2, 5))), 600, 0.5);

    main_->Action("Chiudi1")->trigger();
    EXPECT_FALSE(main_->cb_imm->Checked());
    EXPECT_FALSE(main_->cb_fot->Checked());
    EXPECT_EQ(ImageWindow, nullptr);
    EXPECT_EQ(CountPoints(img), 0);
    EXPECT_EQ(CountPoints(*FormTabFot->StringGrid1), 0);
    EXPECT_EQ(CountPoints(res), 0);
    EXPECT_EQ(par.Cells(1, 1), "");
}
