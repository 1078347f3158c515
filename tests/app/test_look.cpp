// What a user sees: texts shown whole, tool windows placed beside the main
// window's frame, the designed fonts, Vek's icon and titles.
#include <QApplication>
#include <QFontInfo>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QScreen>

#include "analytic/u_tabres.h"
#include "analytic/u_tabrpar.h"
#include "app/u_avviso.h"
#include "app/u_opzioni.h"
#include "platform/fonts.h"
#include "tables/u_tabfot.h"
#include "tests/facade.h"
#include "tests/tables/tabimm_fixture.h"

namespace {

void Settle(QWidget* w) {
    w->show();
    QApplication::processEvents();
    if (w->layout()) w->layout()->activate();
}

// The text of a panel fits inside its frame.
bool Whole(const QLabel* label) {
    return label->contentsRect().width() >= label->fontMetrics().horizontalAdvance(label->text());
}

// Every text of columns 0..n-1 of rows 0..last fits its column.
void ExpectColumnsWhole(const StringGrid& g, int n, int last) {
    const QFontMetrics fm(g.font());
    for (int c = 0; c < n; ++c)
        for (int r = 0; r <= last; ++r)
            EXPECT_LT(fm.horizontalAdvance(g.Cells(c, r)), g.columnWidth(c))
                << g.window()->objectName().toStdString() << " col " << c << " row " << r;
}

QImage IconImage(const QIcon& icon) { return icon.pixmap(32, 32).toImage(); }

}  // namespace

class Look : public TableRun {
protected:
    void LoadFacadeUnion() {
        WriteFile("facciata.fot", QByteArray::fromStdString(FacadeUnionText()));
        DialogSeam::PresetFileName(PathOf("facciata.fot"));
        main_->Action("Carica6")->trigger();
        ASSERT_TRUE(main_->cb_fot->Checked());
    }
};

TEST_F(Look, DesignedFontNamesMapToMetricCompatibleFreeFonts) {
    EXPECT_EQ(QFontInfo(DesignFont()).family(), "Liberation Sans");
    EXPECT_EQ(QFontInfo(QFont("Times New Roman")).family(), "Liberation Serif");
    EXPECT_EQ(QFontInfo(main_->font()).pixelSize(), 11);
}

TEST_F(Look, StatusPanelsGrowToTheirTextAndTheLastReachesTheEdge) {
    Settle(main_);
    FormTabImm->Command("Iniziacollimazione1")->trigger();  // no picture open
    main_->StatusBar1->SetPanel(2, "Si è verificato un errore!");
    Settle(main_);
    ASSERT_EQ(Panel(6), "nessuna immagine caricata");
    for (int i = 0; i < 7; ++i) EXPECT_TRUE(Whole(main_->StatusBar1->PanelLabel(i))) << i;
    const QLabel* last = main_->StatusBar1->PanelLabel(6);
    EXPECT_GE(last->geometry().right(), main_->StatusBar1->width() - 8);
    EXPECT_EQ(main_->StatusBar1->PanelLabel(0)->width(), 75);  // designed widths where text fits
}

TEST_F(Look, ResultsWindowsShowEveryValueWholeAndATooNarrowGridScrolls) {
    LoadFacadeUnion();
    main_->Action("Residui2")->trigger();
    FormTabRes->Command("calcolaparametridiretti1")->trigger();
    FormTabRes->Command("vediparametri1")->trigger();
    Settle(FormTabRes);
    Settle(FormTabPar);
    ASSERT_TRUE(FormTabRes->Edit1->text().startsWith("0."));
    EXPECT_TRUE(Whole(FormTabRes->StatusBar1->PanelLabel(1)));
    StringGrid& res = *FormTabRes->StringGrid1;
    StringGrid& par = *FormTabPar->StringGrid1;
    ExpectColumnsWhole(res, 7, 12);
    ExpectColumnsWhole(par, 2, 8);
    EXPECT_GE(FormTabRes->width(), res.WidthForColumns(5));
    EXPECT_GE(FormTabPar->width(), par.WidthForColumns(2));
    EXPECT_TRUE(par.isColumnHidden(2));  // no variance shows cut before the option
    EXPECT_FALSE(FormTabPar->frameGeometry().intersects(FormTabRes->frameGeometry()));
    FormOpzioni->cb_varcovar->click();
    EXPECT_FALSE(par.isColumnHidden(2));
    ExpectColumnsWhole(par, 3, 8);
    EXPECT_GE(FormTabPar->width(), par.WidthForColumns(3));
    FormOpzioni->cb_resstand->click();
    EXPECT_GE(FormTabRes->width(), res.WidthForColumns(7));
    EXPECT_NE(res.horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
}

TEST_F(Look, ToolWindowsOpenBesideTheMainFrameAndLeaveTheMenuFree) {
    main_->move(40, 10);
    Settle(main_);
    const QRect frame = main_->frameGeometry();
    main_->Action("Visualizza6")->trigger();
    const QRect table = FormTabImm->frameGeometry();
    EXPECT_EQ(table.topLeft(),
              QPoint(frame.left() + main_->width() - FormTabImm->width() - 5, frame.top() + 40));
    const QRect glyph(main_->menuBar()->mapToGlobal(
                          main_->menuBar()->actionGeometry(main_->N9->menuAction()).topLeft()),
                      main_->menuBar()->actionGeometry(main_->N9->menuAction()).size());
    EXPECT_FALSE(table.intersects(glyph));
    // A main window near the screen's right edge: the table stays on screen.
    main_->move(300, 10);
    main_->Action("Visualizza6")->trigger();
    EXPECT_TRUE(main_->screen()->availableGeometry().contains(FormTabImm->frameGeometry()));
}

TEST_F(Look, NoticeOpensOverTheMainWindowAndStaysWhereItIs) {
    main_->move(60, 20);
    Settle(main_);
    ShowNotice("1");
    const QRect frame = main_->frameGeometry();
    const QRect notice = FormAvviso->frameGeometry();
    EXPECT_NEAR(notice.center().x(), frame.center().x(), 1);
    EXPECT_TRUE(frame.contains(notice));
    FormAvviso->move(5, 5);
    ShowNotice("6");
    EXPECT_EQ(FormAvviso->pos(), QPoint(5, 5));
    QTest::keyClick(FormAvviso, Qt::Key_Escape);
    EXPECT_FALSE(FormAvviso->isVisible());
    // Unplaced windows open centred over the main window too.
    main_->Action("Residui2")->trigger();
    EXPECT_TRUE(frame.contains(FormTabRes->frameGeometry()));
}

TEST_F(Look, VekIconOnEveryWindowAndTitlesThatFit) {
    EXPECT_EQ(FormAbout->windowTitle(), "Vek");
    OpenPicture();
    const QImage icon = IconImage(VekIcon());
    ASSERT_FALSE(icon.isNull());
    for (QWidget* w : QApplication::topLevelWidgets())
        EXPECT_EQ(IconImage(w->windowIcon()), icon) << w->objectName().toStdString();
    ASSERT_FALSE(main_->MdiArea->subWindowList().isEmpty());
    EXPECT_EQ(IconImage(main_->MdiArea->subWindowList().first()->windowIcon()), icon);
    for (ToolWindow* w : main_->findChildren<ToolWindow*>())
        EXPECT_GE(w->width(), TitleFitWidth(w->windowTitle())) << w->objectName().toStdString();
}
