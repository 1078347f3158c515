#include <QAction>
#include <QLabel>
#include <QMouseEvent>

#include "analytic/u_matrici.h"
#include "analytic/u_tabres.h"
#include "analytic/u_tabrpar.h"
#include "app/u_avviso.h"
#include "app/u_opzioni.h"
#include "app/u_stato.h"
#include "export/U_tabptidxf.h"
#include "export/u_georeferenzia.h"
#include "geometric/u_geom.h"
#include "rectify/u_rapporto.h"
#include "rectify/u_scala.h"
#include "tables/u_tabfot.h"
#include "tables/u_tabimm.h"
#include "tables/u_tabogg.h"
#include "tests/gui_fixture.h"
#include "view/u_limiti.h"
#include "view/u_naviga.h"

using Startup = VekRun;

TEST_F(Startup, MainWindowWaitsForTheMethod) {
    EXPECT_EQ(main_->windowTitle(), "  Vek");
    EXPECT_FALSE(main_->N9->menuAction()->isVisible());
    EXPECT_TRUE(main_->StatusBar1->Simple());
    EXPECT_TRUE(FormAbout->isVisible());
    EXPECT_FALSE(main_->rb_an->Checked());
    EXPECT_FALSE(main_->rb_geom->Checked());
    for (CheckBox* flag : {main_->cb_imm, main_->cb_fot, main_->cb_area, main_->cb_scala,
                           main_->cb_corr, main_->cb_fughe})
        EXPECT_FALSE(flag->Checked()) << flag->objectName().toStdString();
    EXPECT_TRUE(main_->Action("bilineare2")->isChecked());
    EXPECT_FALSE(main_->Action("Lineare2")->isChecked());
    EXPECT_FALSE(main_->Action("bicubica2")->isChecked());
}

TEST_F(Startup, StartWindowOffersNoWayOutButTheButtons) {
    EXPECT_FALSE(FormAbout->close());  // as the frame's close would ask
    EXPECT_TRUE(FormAbout->isVisible());
    EXPECT_FALSE(main_->N9->menuAction()->isVisible());
    ChooseGeometric();
    EXPECT_FALSE(FormAbout->isVisible());
}

TEST_F(Startup, AnalyticShowsTablesAndHidesLines) {
    ChooseAnalytic();
    EXPECT_FALSE(FormAbout->isVisible());
    EXPECT_TRUE(main_->N9->menuAction()->isVisible());
    EXPECT_FALSE(main_->StatusBar1->Simple());
    EXPECT_EQ(main_->StatusBar1->PanelCount(), 7);
    EXPECT_EQ(Panel(2), " analitico");
    EXPECT_TRUE(main_->rb_an->Checked());
    EXPECT_TRUE(main_->Action("Tabelle2")->isVisible());
    EXPECT_FALSE(main_->Action("Individuarette2")->isVisible());
}

TEST_F(Startup, GeometricShowsLinesAndHidesTables) {
    ChooseGeometric();
    EXPECT_EQ(Panel(2), " geometrico");
    EXPECT_TRUE(main_->rb_geom->Checked());
    EXPECT_FALSE(main_->rb_an->Checked());
    EXPECT_FALSE(main_->Action("Tabelle2")->isVisible());
    EXPECT_TRUE(main_->Action("Individuarette2")->isVisible());
}

TEST_F(Startup, GridsAreTitledByKeyword) {
    EXPECT_EQ(FormTabImm->StringGrid1->Cells(0, 0), "nome");
    EXPECT_EQ(FormTabImm->StringGrid1->Cells(1, 0), "   x");
    EXPECT_EQ(FormTabFot->StringGrid1->Cells(5, 0), " *");
    EXPECT_EQ(FormTabRes->StringGrid1->Cells(6, 0), " res stand y");
    EXPECT_EQ(FormTabPar->StringGrid1->Cells(2, 0), " varcovar");
    EXPECT_EQ(FormGeom->StringGrid1->Cells(4, 0), "  y2");
    EXPECT_EQ(FormGeom->StringGrid2->Cells(1, 0), "  x1");
    EXPECT_EQ(FormTabImm->StringGrid1->RowCount(), 500);
    EXPECT_EQ(FormTabPar->StringGrid1->RowCount(), 9);
}

TEST_F(Startup, RadioButtonsOfOneGroupExcludeEachOther) {
    main_->rb_collima->SetChecked(true);
    main_->rb_limiti_2->SetChecked(true);
    EXPECT_FALSE(main_->rb_collima->Checked());
    EXPECT_TRUE(main_->rb_limiti_2->Checked());
    main_->rb_zoom->SetChecked(true);  // another group: untouched
    EXPECT_TRUE(main_->rb_limiti_2->Checked());
    main_->rb_limiti_2->SetChecked(false);
    for (RadioButton* r : main_->PointerModes()) EXPECT_FALSE(r->Checked());
}

TEST_F(Startup, NoticesShowTheirTextsExactly) {
    ShowNotice("1");
    EXPECT_TRUE(FormAvviso->isVisible());
    EXPECT_EQ(FormAvviso->Label1->text(), " nessuna immagine attiva");
    ShowNotice("6");
    EXPECT_EQ(FormAvviso->Label1->text(), " immagine già aperta");
    ShowNotice("18");
    EXPECT_EQ(FormAvviso->Label1->text(), " Chiudere l''immagine corretta ? ");
    ShowNotice("19");
    EXPECT_EQ(FormAvviso->Label1->text(), " Operazione non corretta ");
    ShowNotice("9");
    EXPECT_EQ(FormAvviso->Label1->text(), " operazione non corretta");
    ShowNotice("16");
    EXPECT_EQ(FormAvviso->Label1->text(),
              " immagine corretta troppo piccola per eseguire una anteprima ");
    ShowNotice("10");  // goes to the options' status bar instead
    EXPECT_EQ(FormAvviso->Label1->text(),
              " immagine corretta troppo piccola per eseguire una anteprima ");
    EXPECT_EQ(FormOpzioni->StatusBar1->Panel(0), " clicca sopra per scegliere");
    ShowNotice("20");  // unknown: the window shows what it held
    EXPECT_EQ(FormAvviso->Label1->text(),
              " immagine corretta troppo piccola per eseguire una anteprima ");
}

// The texts themselves are checked where a command shows them; here every
// number must reach the notice window, and only the numbers 1 to 19 exist.
TEST_F(Startup, EveryNoticeNumberShowsItsText) {
    for (int i = 1; i <= 19; ++i) {
        if (i == 10) continue;  // goes to the options' status bar
        const QString number = QString::number(i);
        FormAvviso->Label1->clear();
        ShowNotice(number);
        ASSERT_NE(NoticeText(number), nullptr) << i;
        EXPECT_FALSE(FormAvviso->Label1->text().isEmpty()) << i;
        EXPECT_EQ(FormAvviso->Label1->text(), QString::fromUtf8(NoticeText(number))) << i;
    }
    EXPECT_EQ(NoticeText(NoticeNo::CloseRectified),
              std::string(" Chiudere l''immagine corretta ? "));
    EXPECT_EQ(NoticeText(NoticeNo::ImageOpen), std::string(" immagine già aperta"));
    for (const char* bad : {"0", "20", "01", " 1"}) EXPECT_EQ(NoticeText(bad), nullptr) << bad;
}

TEST_F(Startup, ChiudiCorrettaWithoutRectifiedImageSaysSo) {
    FormAvviso->Chiudicorretta1->trigger();
    EXPECT_EQ(FormAvviso->Label1->text(), " nessuna immagine corretta attiva");
}

TEST_F(Startup, ResetSessionEmptiesTablesAndFlags) {
    ChooseAnalytic();
    FormTabImm->StringGrid1->SetCells(0, 1, "1");
    FormTabImm->StringGrid1->SetCells(1, 1, "10");
    FormTabImm->Edit1->setText("2");
    FormTabFot->StringGrid1->SetCells(1, 1, "5");
    FormTabOgg->StringGrid1->SetCells(1, 1, "5.000");
    FormTabRes->StringGrid1->SetCells(1, 1, "1.0");
    FormTabPar->StringGrid1->SetCells(1, 1, "1.0");
    FormGeom->StringGrid2->SetCells(1, 1, "3");
    FormGeom->Edit1->setText("12.5");
    FormGeom->Edit5->setText("4");
    FormLimiti->Edit1->setText("3.000");
    FormLimiti->Edit12->setText("7");
    FormRapporto->Edit1->setText("2.5");
    FormScala->Edit1->setText("0.01");
    FormScala->Edit2->setText("254");
    for (CheckBox* f : {main_->cb_fot, main_->cb_area, main_->cb_scala, main_->cb_fughe})
        f->SetChecked(true);
    FormNaviga->show();
    FormTabImm->show();

    main_->Action("Reset2")->trigger();

    EXPECT_FALSE(FormNaviga->isVisible());
    EXPECT_FALSE(FormTabImm->isVisible());
    EXPECT_EQ(FormTabImm->StringGrid1->Cells(1, 1), "");
    EXPECT_EQ(FormTabImm->Edit1->text(), "");
    EXPECT_EQ(FormTabFot->StringGrid1->Cells(1, 1), "");
    EXPECT_EQ(FormTabOgg->StringGrid1->Cells(1, 1), "");
    EXPECT_EQ(FormTabRes->StringGrid1->Cells(1, 1), "");
    EXPECT_EQ(FormTabPar->StringGrid1->Cells(1, 1), "");
    EXPECT_EQ(FormGeom->StringGrid2->Cells(1, 1), "");
    EXPECT_EQ(FormGeom->Edit1->text(), "/");
    EXPECT_EQ(FormGeom->Edit3->text(), "0");
    EXPECT_EQ(FormGeom->Edit5->text(), "0");
    EXPECT_EQ(FormLimiti->Edit1->text(), "");
    EXPECT_EQ(FormLimiti->Edit12->text(), "");
    EXPECT_EQ(FormRapporto->Edit1->text(), "");  // loses its initial "1.0"
    EXPECT_EQ(FormRapporto->Edit3->text(), "");
    EXPECT_EQ(FormScala->Edit1->text(), "");
    EXPECT_EQ(FormScala->Edit2->text(), "100");
    for (CheckBox* f : {main_->cb_fot, main_->cb_area, main_->cb_scala, main_->cb_fughe})
        EXPECT_FALSE(f->Checked()) << f->objectName().toStdString();
    EXPECT_TRUE(main_->rb_an->Checked());
    // The table titles and the options are not part of the session.
    EXPECT_EQ(FormTabFot->StringGrid1->Cells(3, 0), "   X");
    EXPECT_EQ(FormOpzioni->SpinEdit1->value(), 2);
}

TEST_F(Startup, ResetDxfAndGeoreferenceEmptyTheirWindows) {
    main_->StatusBar1->SetPanel(5, "distanza");
    FormTabPtiDxf->StringGrid1->SetCells(0, 1, "P1");
    FormTabPtiDxf->StringGrid1->SetCells(1, 1, "2.0");
    FormTabPtiDxf->StringGrid1->SetCells(2, 1, "4.5");
    QLineEdit* dxfEdits[] = {FormTabPtiDxf->Edit1, FormTabPtiDxf->Edit2, FormTabPtiDxf->Edit3};
    const TFormGeoreferenzia* g = FormGeoreferenzia;
    QLineEdit* geoEdits[] = {g->Edit1, g->Edit2, g->Edit3, g->Edit4, g->Edit5, g->Edit6};
    for (QLineEdit* e : dxfEdits) e->setText("7");
    for (QLineEdit* e : geoEdits) e->setText("0.010");
    FormTabPtiDxf->show();
    FormGeoreferenzia->show();

    ResetDxfPoints();
    ResetGeoreference();

    EXPECT_EQ(Panel(5), "");
    EXPECT_EQ(FormTabPtiDxf->StringGrid1->Cells(0, 1), "");
    EXPECT_EQ(FormTabPtiDxf->StringGrid1->Cells(2, 1), "");
    for (QLineEdit* e : dxfEdits) EXPECT_EQ(e->text(), "") << e->objectName().toStdString();
    for (QLineEdit* e : geoEdits) EXPECT_EQ(e->text(), "") << e->objectName().toStdString();
    EXPECT_FALSE(FormTabPtiDxf->isVisible());
    EXPECT_FALSE(FormGeoreferenzia->isVisible());
}

TEST_F(Startup, MovingOverTheFrameClearsThePointerPanels) {
    ChooseAnalytic();
    main_->StatusBar1->SetPanel(0, " x: 12");
    main_->StatusBar1->SetPanel(1, " y: 34");
    QMouseEvent move(QEvent::MouseMove, QPointF(20, 20), QPointF(20, 20), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(main_->MdiArea->viewport(), &move);
    EXPECT_EQ(Panel(0), "");
    EXPECT_EQ(Panel(1), "");
}

TEST_F(Startup, GeometricMatrixErrorsShowInTheMethodPanel) {
    ChooseGeometric();
    auto a = std::make_unique<SmallMatrix>();
    auto b = std::make_unique<SmallMatrix>();
    ZeroMatrix(*a);
    a->Rows = a->Cols = 2;
    a->Cell[1][1] = 1;
    a->Cell[1][2] = 2;
    a->Cell[2][1] = 2;
    a->Cell[2][2] = 4;
    InvertMatrix(*a, *b);
    EXPECT_EQ(Panel(2), "Si è verificato un errore!");
}
