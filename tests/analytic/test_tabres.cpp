#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>

#include "analytic/u_diagnosi.h"
#include "analytic/u_proiettiva.h"
#include "analytic/u_tabres.h"
#include "analytic/u_tabrpar.h"
#include "app/u_avviso.h"
#include "app/u_opzioni.h"
#include "tables/u_stringhe.h"
#include "tables/u_tabfot.h"
#include "tests/gui_fixture.h"
#include "view/u_immagine.h"

namespace {
// Image x, y (pixels, rows downwards) of points on a plane seen obliquely,
// and their object X, Y (metres).
struct Pt {
    const char* name;
    double x, y, X, Y;
};

const Projective kHomography{
    {0.0102L, -0.0013L, 0.0011L, -0.0096L, 2.5L, 30.25L, 0.00011L, -0.00007L}};

void FillUnion(const std::vector<std::array<double, 2>>& pixels, double noise = 0) {
    StringGrid& g = *FormTabFot->StringGrid1;
    int r = 1;
    for (const auto& px : pixels) {
        const PlanePoint q = kHomography.Apply(px[0], px[1]).value();
        long double X = q.x, Y = q.y;
        X += noise * ((r % 3) - 1);
        Y -= noise * ((r % 2) ? 1 : -1);
        g.SetCell(0, r, std::to_string(r));
        g.SetCell(1, r, std::to_string(int(px[0])));
        g.SetCell(2, r, std::to_string(int(px[1])));
        g.SetCell(3, r, FormatFixed(X, 6, 3));
        g.SetCell(4, r, FormatFixed(Y, 6, 3));
        ++r;
    }
}
}  // namespace

class Residuals : public VekRun {
protected:
    void SetUp() override {
        VekRun::SetUp();
        ChooseAnalytic();
    }
    QAction* Cmd(const char* name) { return FormTabRes->Command(name); }
    StringGrid& Res() { return *FormTabRes->StringGrid1; }
    StringGrid& Par() { return *FormTabPar->StringGrid1; }
};

TEST_F(Residuals, WindowsAsDesigned) {
    EXPECT_EQ(FormTabRes->size(), QSize(355, 220));
    // 142 as designed, unless its title or its column titles need more.
    EXPECT_EQ(FormTabPar->height(), 206);
    EXPECT_EQ(FormTabPar->width(), std::max({142, FormTabPar->minimumWidth(),
                                             FormTabPar->StringGrid1->WidthForColumns(2)}));
    EXPECT_EQ(FormTabRes->StatusBar1->PanelCount(), 3);  // the third tells the outlier test
    StatusBar* parBar = FormTabPar->findChild<StatusBar*>("StatusBar1");
    ASSERT_TRUE(parBar);
    EXPECT_EQ(parBar->PanelCount(), 0);
}

TEST_F(Residuals, WithoutUnionTableNoticeFive) {
    Cmd("calcolaparametridiretti1")->trigger();
    EXPECT_EQ(FormAvviso->Label1->text(), " caricare file fot");
    EXPECT_EQ(Res().Cells(1, 1), "");
    ShowNotice("1");
    Cmd("calcolaparametriinversi1")->trigger();
    EXPECT_EQ(FormAvviso->Label1->text(), " caricare file fot");
}

TEST_F(Residuals, FourPointsGiveExactFitAndZeroVariances) {
    FillUnion({{100, 200}, {1900, 150}, {1800, 1300}, {150, 1250}});
    main_->cb_fot->SetChecked(true);
    Cmd("calcolaparametridiretti1")->trigger();
    EXPECT_EQ(FormTabRes->Edit1->text(), "0.0000000000");
    EXPECT_EQ(FormTabRes->StatusBar1->Panel(1), " sqm:  0.0000000000");
    EXPECT_EQ(Res().Cells(0, 4), "4");
    EXPECT_EQ(Res().Cells(1, 1), QString::fromStdString(FormatFixed(
                                     TextToReal(FormTabFot->StringGrid1->Cell(3, 1)), 10, 3)));
    for (int r = 1; r <= 4; ++r)
        for (int c = 3; c <= 6; ++c) {
            const QString t = Res().Cells(c, r);
            EXPECT_TRUE(t == "0.000") << r << "," << c << " " << t.toStdString();
        }
    EXPECT_EQ(Res().RowCount(), 5);  // fitted to the four points
    for (int i = 1; i <= 8; ++i) {
        EXPECT_EQ(Par().Cells(0, i), QString::number(i));
        EXPECT_EQ(Par().Cells(2, i), "0.0000000000");
        EXPECT_EQ(Par().Cells(1, i).section('.', 1).size(), 10);
    }
    // The object cells hold millimetres, so the parameters are near, not equal.
    EXPECT_NEAR(TextToReal(Par().Cell(1, 1)), 0.0102, 1e-5);
    EXPECT_NEAR(TextToReal(Par().Cell(1, 5)), 2.5, 1e-2);
    EXPECT_NEAR(TextToReal(Par().Cell(1, 7)), 0.00011, 1e-7);
}

TEST_F(Residuals, InverseListsImageCoordinates) {
    FillUnion({{100, 200}, {1900, 150}, {1800, 1300}, {150, 1250}, {1000, 700}}, 0.01);
    main_->cb_fot->SetChecked(true);
    Cmd("calcolaparametriinversi1")->trigger();
    ASSERT_EQ(Res().Cells(0, 5), "5");
    for (int r = 1; r <= 5; ++r) {
        EXPECT_NEAR(double(TextToReal(Res().Cell(1, r))),
                    double(TextToReal(FormTabFot->StringGrid1->Cell(1, r))), 5.0);
        EXPECT_NEAR(double(TextToReal(Res().Cell(2, r))),
                    double(TextToReal(FormTabFot->StringGrid1->Cell(2, r))), 5.0);
    }
    EXPECT_NE(FormTabRes->Edit1->text(), "0.0000000000");
    EXPECT_TRUE(FormTabRes->StatusBar1->Panel(1).startsWith(" sqm:  "));
}

// Iterated by default, with its steps in panel 0; the option gives the
// linear estimate, whose residuals are scaled by the model's denominator.
TEST_F(Residuals, LinearOptionGivesTheLinearEstimate) {
    FillUnion({{100, 200}, {1900, 150}, {1800, 1300}, {150, 1250}, {1000, 700}, {600, 400}}, 0.05);
    main_->cb_fot->SetChecked(true);
    EXPECT_FALSE(FormOpzioni->cb_lineare->Checked());
    EXPECT_EQ(FormOpzioni->cb_lineare->text(), "stima lineare senza iterazioni");
    EXPECT_FALSE(FormOpzioni->cb_distorsione->Checked());
    EXPECT_EQ(FormOpzioni->cb_distorsione->text(), "distorsione radiale (k1, k2)");
    Cmd("calcolaparametriinversi1")->trigger();
    EXPECT_TRUE(FormTabRes->StatusBar1->Panel(0).startsWith(" inversi, iterazioni "));
    const QString iterated = FormTabRes->Edit1->text();
    FormOpzioni->cb_lineare->click();
    Cmd("calcolaparametriinversi1")->trigger();
    EXPECT_EQ(FormTabRes->StatusBar1->Panel(0), " inversi");
    EXPECT_NE(FormTabRes->Edit1->text(), iterated);
    FormOpzioni->cb_lineare->click();
}

// The lens needs the photograph (its centre) and six points; with both, k1
// and k2 follow p8 in the parameters window.
TEST_F(Residuals, LensOptionNeedsPhotographAndSixPoints) {
    FillUnion({{100, 200}, {1900, 150}, {1800, 1300}, {150, 1250}, {1000, 700}}, 0.05);
    main_->cb_fot->SetChecked(true);
    FormOpzioni->cb_distorsione->click();
    Cmd("calcolaparametriinversi1")->trigger();
    ASSERT_EQ(DialogSeam::Messages().size(), 1);
    EXPECT_TRUE(DialogSeam::Messages().last().contains("aprire prima la fotografia"));
    QTemporaryDir dir;
    QImage img(2000, 1400, QImage::Format_RGB32);
    img.fill(QColor(40, 40, 40));
    ASSERT_TRUE(img.save(dir.filePath("p.bmp")));
    DialogSeam::PresetFileName(dir.filePath("p.bmp"));
    main_->Action("Apri1")->trigger();
    Cmd("calcolaparametriinversi1")->trigger();
    ASSERT_EQ(DialogSeam::Messages().size(), 2);
    EXPECT_TRUE(DialogSeam::Messages().last().contains("almeno 6 punti"));
    EXPECT_TRUE(DialogSeam::Messages().last().contains("ne ha 5"));
    FillUnion({{100, 200},
               {1900, 150},
               {1800, 1300},
               {150, 1250},
               {1000, 700},
               {600, 400},
               {1000, 100},
               {1500, 900}},
              0.005);
    Cmd("calcolaparametriinversi1")->trigger();
    EXPECT_EQ(DialogSeam::Messages().size(), 2) << DialogSeam::Messages().last().toStdString();
    EXPECT_EQ(Par().Cells(0, 9), "k1");
    EXPECT_EQ(Par().Cells(0, 10), "k2");
    EXPECT_EQ(Par().RowCount(), 11);
    FormOpzioni->cb_distorsione->click();
    Cmd("calcolaparametriinversi1")->trigger();
    EXPECT_EQ(Par().Cells(0, 9), "");
    EXPECT_EQ(Par().RowCount(), 9);
}

TEST_F(Residuals, CollinearPointsAreRefusedAndTablesStayEmpty) {
    FillUnion({{100, 100}, {500, 500}, {900, 900}, {1300, 1300}, {1700, 1700}});
    main_->cb_fot->SetChecked(true);
    Res().SetCells(1, 1, "stale");
    Cmd("calcolaparametridiretti1")->trigger();
    ASSERT_FALSE(DialogSeam::Messages().isEmpty());
    EXPECT_TRUE(DialogSeam::Messages().last().contains("non determinano"));
    EXPECT_EQ(Res().Cells(1, 1), "");
    EXPECT_EQ(Par().Cells(1, 1), "");
}

TEST_F(Residuals, ExcludedPointIsLeftOut) {
    FillUnion({{100, 200}, {1900, 150}, {1800, 1300}, {150, 1250}, {1000, 700}});
    FormTabFot->StringGrid1->SetCells(5, 2, "*");
    main_->cb_fot->SetChecked(true);
    Cmd("calcolaparametridiretti1")->trigger();
    EXPECT_EQ(Res().Cells(0, 1), "1");
    EXPECT_EQ(Res().Cells(0, 2), "3");
    EXPECT_EQ(Res().Cells(0, 4), "5");
    EXPECT_EQ(Res().Cell(0, 5), CheckPointsHeading);  // "2" is a check point now
    EXPECT_EQ(Res().Cells(0, 6), "2");
}

// A cell edited with a decimal comma counts as typed; one that is no number
// is named with its point and column, never read as 0.
TEST_F(Residuals, EditedCellsAreReadOrNamed) {
    FillUnion({{100, 200}, {1900, 150}, {1800, 1300}, {150, 1250}, {1000, 700}});
    main_->cb_fot->SetChecked(true);
    StringGrid& uni = *FormTabFot->StringGrid1;
    Cmd("calcolaparametridiretti1")->trigger();
    const QString withPoint = Par().Cells(1, 5);
    uni.SetCells(1, 2, "1900,0");
    Cmd("calcolaparametridiretti1")->trigger();
    EXPECT_EQ(Par().Cells(1, 5), withPoint);
    uni.SetCells(3, 4, "1o.5");
    Cmd("calcolaparametridiretti1")->trigger();
    ASSERT_EQ(DialogSeam::Messages().size(), 1);
    EXPECT_TRUE(DialogSeam::Messages()[0].contains("\"" + uni.Cells(0, 4) + "\""));
    EXPECT_TRUE(DialogSeam::Messages()[0].contains("\"1o.5\""));
}

TEST_F(Residuals, SaveWritesFiveColumns) {
    FillUnion({{100, 200}, {1900, 150}, {1800, 1300}, {150, 1250}, {1000, 700}}, 0.02);
    main_->cb_fot->SetChecked(true);
    Cmd("calcolaparametridiretti1")->trigger();
    QTemporaryDir dir;
    const QString path = dir.filePath("r.res");
    DialogSeam::PresetFileName(path);
    Cmd("salvaresidui1")->trigger();
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = f.readAll().split('\n');
    ASSERT_GE(lines.size(), 5);
    EXPECT_TRUE(lines[0].endsWith('\r'));
    EXPECT_EQ(lines[0].trimmed().split(' ').count(QByteArray()),
              4);  // two blanks between five fields
    EXPECT_EQ(lines[0].simplified().split(' ').size(), 5);
}

TEST_F(Residuals, DrawingNeedsAnImage) {
    Cmd("disegnaresidui1")->trigger();
    EXPECT_EQ(FormAvviso->Label1->text(), " nessuna immagine attiva");
}

TEST_F(Residuals, DrawingTwiceShowsTheVectorsOnce) {
    QTemporaryDir dir;
    const QString path = dir.filePath("p.bmp");
    QImage img(2000, 1400, QImage::Format_RGB32);
    img.fill(QColor(40, 40, 40));
    ASSERT_TRUE(img.save(path));
    DialogSeam::PresetFileName(path);
    main_->Action("Apri1")->trigger();
    ASSERT_TRUE(ImageWindow);
    FillUnion({{100, 200}, {1900, 150}, {1800, 1300}, {150, 1250}, {1000, 700}}, 0.05);
    main_->cb_fot->SetChecked(true);
    Cmd("disegnaresidui1")->trigger();
    const QImage first = ImageWindow->Image1->Picture().copy();
    EXPECT_NE(first, CleanBitmap);
    Cmd("disegnaresidui1")->trigger();
    EXPECT_EQ(ImageWindow->Image1->Picture(), first);
    // The union points are drawn over the vectors in the collimation colour.
    EXPECT_EQ(ImageWindow->Image1->canvas().Pixel(1000 + 5, 700), 0xFF0000u);
}

// Without a union table the drawing goes on with what the residuals grid holds.
TEST_F(Residuals, VectorsAreMagnifiedRoundedAndKeepTheirSign) {
    QTemporaryDir dir;
    const QString path = dir.filePath("p.bmp");
    QImage img(200, 100, QImage::Format_RGB32);
    img.fill(Qt::black);
    ASSERT_TRUE(img.save(path));
    DialogSeam::PresetFileName(path);
    main_->Action("Apri1")->trigger();
    ASSERT_TRUE(ImageWindow);
    // (0.26, -0.04) at scale 10 is (3, 0); a point left of the picture keeps its sign.
    const char* rows[3][5] = {{"1", "50.400", "60.900", "0.260", "-0.040"},
                              {"2", "-3.500", "20.200", "0.500", "0.000"},
                              {"3", "120.000", "40.000", "0.250", "0.000"}};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 5; ++c) Res().SetCell(c, r + 1, rows[r][c]);
    Cmd("disegnaresidui1")->trigger();
    EXPECT_EQ(FormAvviso->Label1->text(), " caricare file fot");
    const Canvas& c = ImageWindow->Image1->canvas();
    const uint32_t aqua = 0x00FFFF;
    EXPECT_EQ(c.Pixel(50, 60), aqua);
    EXPECT_EQ(c.Pixel(52, 60), aqua);
    EXPECT_NE(c.Pixel(54, 60), aqua);
    EXPECT_EQ(c.Pixel(0, 20), aqua);  // from (-3, 20) to (2, 20)
    EXPECT_EQ(c.Pixel(1, 20), aqua);
    EXPECT_NE(c.Pixel(5, 20), aqua);    // not mirrored to (3, 20)-(8, 20)
    EXPECT_EQ(c.Pixel(121, 40), aqua);  // 2.5 rounds to 2: (120, 40)-(122, 40)
    EXPECT_NE(c.Pixel(122, 40), aqua);
}

// A point collimated 12 pixels off is marked, a "*" point is listed as a check
// point, and the report of that estimation is a PDF with its text twin.
TEST_F(Residuals, OutlierCheckPointAndReport) {
    FillUnion({{100, 200},
               {1900, 150},
               {1800, 1300},
               {150, 1250},
               {1000, 700},
               {600, 400},
               {1400, 900},
               {500, 1000},
               {1300, 300},
               {300, 700},
               {1700, 600},
               {1200, 1150},
               {700, 1300},
               {900, 1200}});
    // With the unit variance estimated from the same residuals, no |R| can
    // exceed the square root of the redundancy: fourteen points test at 3.29.
    StringGrid& uni = *FormTabFot->StringGrid1;
    uni.SetCells(1, 6, QString::number(uni.Cells(1, 6).toInt() + 12));
    uni.SetCells(5, 14, "*");
    main_->cb_fot->SetChecked(true);
    Cmd("salvarapportocompensazione1")->trigger();  // nothing estimated yet
    ASSERT_EQ(DialogSeam::Messages().size(), 1);
    Cmd("calcolaparametriinversi1")->trigger();
    for (int r = 1; r <= 13; ++r) EXPECT_EQ(Res().RowMarked(r), r == 6) << r;
    EXPECT_TRUE(FormTabRes->StatusBar1->Panel(2).startsWith(" 1 punto oltre 3.29"));
    EXPECT_EQ(Res().Cell(0, 14), CheckPointsHeading);
    EXPECT_EQ(Res().Cells(0, 15), "14");
    EXPECT_TRUE(Res().Cells(0, 16).endsWith(" pixel"));
    FormOpzioni->Edit4->setText("1000");
    Cmd("calcolaparametridiretti1")->trigger();
    EXPECT_FALSE(Res().RowMarked(6));
    EXPECT_TRUE(Res().Cells(0, 16).endsWith(" m"));
    FormOpzioni->Edit4->setText("3,29");
    Cmd("calcolaparametriinversi1")->trigger();

    QTemporaryDir dir;
    DialogSeam::PresetFileName(dir.filePath("rapporto.pdf"));
    Cmd("salvarapportocompensazione1")->trigger();
    QFile pdf(dir.filePath("rapporto.pdf")), txt(dir.filePath("rapporto.txt"));
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly) && txt.open(QIODevice::ReadOnly));
    const QByteArray bytes = pdf.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF-"));
    EXPECT_TRUE(bytes.trimmed().endsWith("%%EOF"));
    const QByteArray text = txt.readAll();
    EXPECT_TRUE(text.contains("Punti di controllo, non usati nella stima\r\n"));
    EXPECT_TRUE(text.contains("ERRORE?"));
    if (QProcess::execute("sh", {"-c", "command -v pdftotext >/dev/null"}) != 0)
        GTEST_SKIP() << "pdftotext not installed: the PDF's words are not checked";
    QProcess p;
    p.start("pdftotext", {"-layout", pdf.fileName(), "-"});
    ASSERT_TRUE(p.waitForFinished());
    const QString words = QString::fromUtf8(p.readAllStandardOutput());
    EXPECT_TRUE(words.contains(QString::fromUtf8("σ0²")));
    for (int r = 1; r <= 14; ++r) EXPECT_TRUE(words.contains(uni.Cells(0, r))) << r;
    EXPECT_EQ(words.count('\f'), 2);  // the tables, then the vectors
}
