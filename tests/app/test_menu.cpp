#include <QFile>
#include <QMdiSubWindow>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <array>

#include "analytic/u_tabres.h"
#include "analytic/u_tabrpar.h"
#include "app/u_avviso.h"
#include "app/u_info.h"
#include "app/u_opzioni.h"
#include "export/U_tabptidxf.h"
#include "export/u_dxf.h"
#include "geometric/u_geom.h"
#include "rectify/u_rapporto.h"
#include "rectify/u_scala.h"
#include "tables/u_tabfot.h"
#include "tables/u_tabimm.h"
#include "tests/view/picture_files.h"
#include "view/u_naviga.h"

namespace {
QString Notice() { return FormAvviso->Label1->text(); }
}  // namespace

using MainMenu = PictureRun;

TEST_F(MainMenu, ApriWithAnImageOpenRefusesWithoutADialog) {
    Open(Write("a.bmp", TracePicture(20, 10), "BMP"));
    ASSERT_TRUE(main_->cb_imm->Checked());
    const QString first = main_->OpenPictureDialog1.FileName;
    Open(Write("b.bmp", TracePicture(20, 10), "BMP"));
    EXPECT_EQ(Notice(), " immagine già aperta");
    EXPECT_EQ(main_->OpenPictureDialog1.FileName, first);  // the dialog never ran
    EXPECT_EQ(SubWindows(), 1);
    DialogSeam::ClearPresets();
}

TEST_F(MainMenu, CommandsNeedingAnImageSayNoticeOne) {
    for (const char* name : {"Chiudi1", "Navigatore2"}) {
        FormAvviso->Label1->clear();
        main_->Action(name)->trigger();
        EXPECT_EQ(Notice(), " nessuna immagine attiva") << name;
    }
    main_->SetMethod(false);
    FormAvviso->Label1->clear();
    main_->Action("Individuarette2")->trigger();
    EXPECT_EQ(Notice(), " nessuna immagine attiva");
    EXPECT_FALSE(FormGeom->isVisible());
    Open(Write("r.bmp", TracePicture(20, 10), "BMP"));
    main_->Action("Individuarette2")->trigger();
    EXPECT_TRUE(FormGeom->isVisible());
    EXPECT_EQ(FormGeom->pos(), QPoint(main_->width() - FormGeom->width() - 5, 40));
}

TEST_F(MainMenu, ZoomAndPanChooseTheViewTool) {
    main_->Action("Zoom2")->trigger();
    EXPECT_TRUE(main_->rb_zoom->Checked());
    EXPECT_EQ(Panel(3), " zoom attivo");
    main_->Action("Pan2")->trigger();
    EXPECT_TRUE(main_->rb_pan->Checked());
    EXPECT_FALSE(main_->rb_zoom->Checked());
    EXPECT_EQ(Panel(3), " pan attivo");
}

TEST_F(MainMenu, NavigatorMarkDecidesAfterAReset) {
    Open(Write("n.bmp", TracePicture(20, 10), "BMP"));
    main_->Action("Navigatore2")->trigger();
    ASSERT_TRUE(FormNaviga->isVisible());
    main_->Action("Reset2")->trigger();  // hides the navigator, keeps the mark
    EXPECT_FALSE(FormNaviga->isVisible());
    EXPECT_TRUE(main_->Action("Navigatore2")->isChecked());
    main_->Action("Navigatore2")->trigger();  // the mark was on: it goes
    EXPECT_FALSE(main_->Action("Navigatore2")->isChecked());
    EXPECT_FALSE(FormNaviga->isVisible());
    main_->Action("Navigatore2")->trigger();
    EXPECT_TRUE(FormNaviga->isVisible());
}

TEST_F(MainMenu, VekWantsImageUnionAndAreaInEitherMethod) {
    Open(Write("v.bmp", TracePicture(20, 10), "BMP"));
    main_->cb_fot->SetChecked(true);
    main_->Action("Vek2")->trigger();
    EXPECT_EQ(Notice(), " selezionare area da raddrizzare");
    EXPECT_FALSE(FormScala->isVisible());
    main_->cb_area->SetChecked(true);
    main_->Action("Vek2")->trigger();
    EXPECT_TRUE(FormScala->isVisible());
    EXPECT_FALSE(FormRapporto->isVisible());
    FormScala->hide();
    main_->SetMethod(false);
    main_->cb_fot->SetChecked(false);
    FormAvviso->Label1->clear();
    main_->Action("Vek2")->trigger();
    EXPECT_EQ(Notice(), " selezionare area da raddrizzare");
    main_->cb_fot->SetChecked(true);
    main_->Action("Vek2")->trigger();
    EXPECT_TRUE(FormRapporto->isVisible());
    EXPECT_FALSE(FormScala->isVisible());
}

TEST_F(MainMenu, AreaSelectionNoticeDependsOnTheMethod) {
    main_->Action("Selezionaarearicampionamento1")->trigger();
    EXPECT_EQ(Notice(), " Operazione non corretta ");
    main_->SetMethod(false);
    main_->Action("Selezionaarearicampionamento1")->trigger();
    EXPECT_EQ(Notice(), " calcolare prima i punti di fuga e i parametri ");
    Open(Write("s.bmp", TracePicture(20, 10), "BMP"));
    main_->cb_fot->SetChecked(true);
    main_->Action("Selezionaarearicampionamento1")->trigger();
    EXPECT_TRUE(main_->rb_limiti_1->Checked());
    EXPECT_EQ(Panel(5), "area");
}

TEST_F(MainMenu, DxfSaveAndCreateNeedNoRectifiedImageButDrawDoes) {
    FormTabPtiDxf->StringGrid1->SetCells(0, 1, "P1");
    FormTabPtiDxf->StringGrid1->SetCells(1, 1, "1.5");
    FormTabPtiDxf->StringGrid1->SetCells(2, 1, "2.5");
    const QString out = Path("punti.txt");
    DialogSeam::PresetFileName(out);
    main_->Action("Salvapunti1")->trigger();
    QFile f(out);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.readAll().contains("P1"));
    main_->Action("Creadxf1")->trigger();
    EXPECT_TRUE(FormDxf->isVisible());

    main_->Action("Disegnapunti1")->trigger();
    EXPECT_EQ(Notice(), " nessuna immagine corretta attiva");
    EXPECT_FALSE(FormTabPtiDxf->isVisible());
    main_->cb_corr->SetChecked(true);
    main_->Action("Disegnapunti1")->trigger();
    EXPECT_TRUE(FormTabPtiDxf->isVisible());
    EXPECT_EQ(FormTabPtiDxf->pos(), QPoint(main_->width() - FormTabPtiDxf->width(), 40));
}

TEST_F(MainMenu, RectifiedImageCommandsWantOne) {
    for (const char* name : {"Salva4", "Chiudi2", "Georeferenzia2", "Calcoladistanza2"}) {
        FormAvviso->Label1->clear();
        main_->Action(name)->trigger();
        EXPECT_EQ(Notice(), " nessuna immagine corretta attiva") << name;
    }
    EXPECT_FALSE(main_->rb_distanza_1->Checked());
    main_->cb_corr->SetChecked(true);
    main_->Action("Calcoladistanza2")->trigger();
    EXPECT_TRUE(main_->rb_distanza_1->Checked());
    EXPECT_EQ(Panel(5), "distanza");
    // The entry is present from start-up; the command must show it again
    // after anything hid it.
    FormAvviso->Chiudicorretta1->setVisible(false);
    main_->Action("Chiudi2")->trigger();
    EXPECT_TRUE(FormAvviso->Chiudicorretta1->isVisible());
    EXPECT_EQ(Notice(), " Chiudere l''immagine corretta ? ");
}

TEST_F(MainMenu, InterpolationMarksExcludeEachOther) {
    const std::array<QAction*, 3> items = {main_->Action("Lineare2"), main_->Action("bilineare2"),
                                           main_->Action("bicubica2")};
    EXPECT_EQ(items[2]->text(), "Bicubica");
    for (QAction* chosen : items)
        for (int again = 0; again < 2; ++again) {  // choosing it again keeps it
            chosen->trigger();
            for (QAction* item : items)
                EXPECT_EQ(item->isChecked(), item == chosen) << item->objectName().toStdString();
        }
}

TEST_F(MainMenu, TablesShowAndUnionLoadSetsTheFlagFromFourPoints) {
    main_->Action("Visualizza6")->trigger();
    EXPECT_TRUE(FormTabImm->isVisible());
    EXPECT_EQ(FormTabImm->pos(), QPoint(main_->width() - FormTabImm->width() - 5, 40));
    main_->Action("Residui2")->trigger();
    EXPECT_TRUE(FormTabRes->isVisible());
    const QByteArray three = "1 10 20 1.0 2.0\r\n2 30 40 3.0 4.0\r\n3 50 60 5.0 6.0\r\n";
    DialogSeam::PresetFileName(WriteBytes("tre.fot", three));
    main_->Action("Carica6")->trigger();
    EXPECT_FALSE(main_->cb_fot->Checked());
    DialogSeam::PresetFileName(WriteBytes("quattro.fot", three + "4 70 80 7.0 8.0\r\n"));
    main_->Action("Carica6")->trigger();
    EXPECT_TRUE(main_->cb_fot->Checked());
    EXPECT_TRUE(FormTabFot->isVisible());
}

TEST_F(MainMenu, TilingStacksTheChildrenAcrossTheFrame) {
    Open(Write("d.bmp", TracePicture(20, 10), "BMP"));
    main_->Action("Disponiverticali1")->trigger();
    QMdiSubWindow* sub = main_->MdiArea->subWindowList().first();
    EXPECT_FALSE(sub->isMaximized());
    EXPECT_EQ(sub->geometry(), QRect(QPoint(0, 0), main_->MdiArea->viewport()->size()));
}

TEST_F(MainMenu, InformationWindowAndExit) {
    main_->Action("Informazioni2")->trigger();
    ASSERT_TRUE(FormInfo->isVisible());
    EXPECT_EQ(FormInfo->windowTitle(), "Informazioni");
    const QList<QLabel*> labels = FormInfo->findChildren<QLabel*>();
    const bool named = std::any_of(labels.begin(), labels.end(), [](QLabel* l) {
        return l->text() == "Vek" && l->font().bold();
    });
    EXPECT_TRUE(named);
    FormInfo->Command("Chiudi1")->trigger();
    EXPECT_FALSE(FormInfo->isVisible());
    main_->Action("Esci2")->trigger();
    EXPECT_FALSE(main_->isVisible());
}

// ---- Options ----------------------------------------------------------------

TEST_F(MainMenu, OptionsColoursFollowTheirDialogsAndACancelKeepsThem) {
    main_->Action("Opzioni2")->trigger();
    ASSERT_TRUE(FormOpzioni->isVisible());
    EXPECT_EQ(SwatchColor(FormOpzioni->Edit1), QColor(Qt::red));
    DialogSeam::PresetCancel();
    QTest::mouseClick(FormOpzioni->Edit1, Qt::LeftButton);
    EXPECT_EQ(main_->ColorDialog1.Color, QColor(Qt::red));
    EXPECT_EQ(SwatchColor(FormOpzioni->Edit1), QColor(Qt::red));
    DialogSeam::PresetColor(Qt::green);
    QTest::mouseClick(FormOpzioni->Edit1, Qt::LeftButton);
    EXPECT_EQ(main_->ColorDialog1.Color, QColor(Qt::green));
    EXPECT_EQ(SwatchColor(FormOpzioni->Edit1), QColor(Qt::green));
    DialogSeam::PresetColor(Qt::yellow);
    FormOpzioni->Edit2Click();
    EXPECT_EQ(FormTabRes->ColorDialog1.Color, QColor(Qt::yellow));
    EXPECT_EQ(SwatchColor(FormOpzioni->Edit2), QColor(Qt::yellow));
    DialogSeam::PresetCancel();
    FormOpzioni->Edit3Click();
    EXPECT_EQ(SwatchColor(FormOpzioni->Edit3), QColor(Qt::blue));
    FormOpzioni->Command("Chiudi1")->trigger();
    EXPECT_FALSE(FormOpzioni->isVisible());
    EXPECT_EQ(SwatchColor(FormOpzioni->Edit2), QColor(Qt::yellow));  // values stay
}

TEST_F(MainMenu, OptionWidthsOfTheResultWindowsWhateverTheHandGave) {
    FormTabRes->resize(420, FormTabRes->height());
    FormOpzioni->cb_resstand->click();
    EXPECT_EQ(FormTabRes->width(), 497);
    FormTabRes->resize(600, FormTabRes->height());
    FormOpzioni->cb_resstand->click();
    EXPECT_EQ(FormTabRes->width(), 355);
    FormOpzioni->cb_varcovar->click();
    EXPECT_EQ(FormTabPar->width(), 276);
    FormTabPar->resize(90, FormTabPar->height());
    FormOpzioni->cb_varcovar->click();
    EXPECT_EQ(FormTabPar->width(), std::max(174, FormTabPar->minimumWidth()));  // its title fits
}

TEST_F(MainMenu, OptionRangesAndStartValues) {
    EXPECT_EQ(FormOpzioni->windowTitle(), "Opzioni ...");
    EXPECT_EQ(FormOpzioni->SpinEdit1->value(), 2);
    EXPECT_EQ(FormOpzioni->SpinEdit2->value(), 10);
    EXPECT_EQ(FormOpzioni->SpinEdit3->value(), 25);
    FormOpzioni->SpinEdit1->setValue(11);
    EXPECT_EQ(FormOpzioni->SpinEdit1->value(), 10);
    FormOpzioni->SpinEdit3->setValue(0);
    EXPECT_EQ(FormOpzioni->SpinEdit3->value(), 1);
}

// ---- The picture dialog's filters -------------------------------------------

TEST(PictureFilter, CameraNamesMatchWhateverTheCaseAndDescriptionsStay) {
    const QString qt = ToQtFilter(
        "All (*.jpg;*.bmp)|*.jpg;*.bmp|JPEG Image File (*.jpg)|*.jpg|Bitmaps (*.bmp)|*.bmp");
    const QStringList filters = qt.split(";;");
    ASSERT_EQ(filters.size(), 3);
    // The toolkit takes the last parenthesised list as the patterns and,
    // with the details hidden, shows what comes before it.
    const QRegularExpression split(R"(^(.*) \(([^()]*)\)$)");
    const QStringList descriptions = {"All (*.jpg;*.bmp)", "JPEG Image File (*.jpg)",
                                      "Bitmaps (*.bmp)"};
    auto matches = [&](int filter, const QString& name) {
        const QRegularExpressionMatch m = split.match(filters[filter]);
        for (const QString& p : m.captured(2).split(' '))
            if (QRegularExpression(QRegularExpression::wildcardToRegularExpression(p))
                    .match(name)
                    .hasMatch())
                return true;
        return false;
    };
    for (int i = 0; i < 3; ++i) EXPECT_EQ(split.match(filters[i]).captured(1), descriptions[i]);
    for (const char* name : {"IMG_0001.JPG", "foto.jpg", "foto.Jpeg", "pianta.bmp", "PIANTA.BMP"})
        EXPECT_TRUE(matches(0, name)) << name;
    EXPECT_TRUE(matches(1, "DSC_0042.JPEG"));
    EXPECT_FALSE(matches(1, "pianta.bmp"));
    EXPECT_FALSE(matches(0, "foto.png"));
    EXPECT_FALSE(matches(2, "foto.jpg"));
    EXPECT_EQ(ToQtFilter("tutti i file|*.*"), "tutti i file (*.*)");
}
