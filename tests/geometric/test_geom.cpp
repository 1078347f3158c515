// The parallel-lines window: line entry by clicks, deletion, family resets,
// vanishing points and parameters with their refusals.
#include <array>

#include "analytic/u_tabrpar.h"
#include "app/u_avviso.h"
#include "tables/u_omnia.h"
#include "tests/geometric/geom_fixture.h"
#include "view/u_limiti.h"

namespace {
constexpr uint32_t kWhite = 0xFFFFFFu;
constexpr uint32_t kGround = 0x283C50u;

QImage Ground() {
    QImage img(640, 480, QImage::Format_RGB32);
    img.fill(QColor(kGround));
    return img;
}

QString Row(const StringGrid& g, int r) {
    QStringList cells;
    for (int c = 0; c <= 4; ++c) cells << g.Cells(c, r);
    return cells.join(' ');
}

}  // namespace

class ParallelLines : public GeomRun {
protected:
    using Ends = std::array<QPoint, 4>;  // two lines, first and second end each
    // The worked example's horizontals.
    static constexpr Ends kHorizontals{{{50, 450}, {600, 440}, {60, 200}, {590, 215}}};
    // The ground picture, two verticals and two horizontals entered, then
    // "Calcolo punti di fuga".
    void VanishingPointsOf(const Ends& vertical, const Ends& horizontal = kHorizontals) {
        OpenPicture(Ground());
        Command("Rettevertivali1");
        Line(vertical[0], vertical[1]);
        Line(vertical[2], vertical[3]);
        Command("Retteorizzontali1");
        Line(horizontal[0], horizontal[1]);
        Line(horizontal[2], horizontal[3]);
        Command("Calcolopuntidifuga1");
    }
};

TEST_F(ParallelLines, LinesEnterByTwoClicksAndAFamilyStartsEmpty) {
    OpenPicture(Ground());
    Command("Retteorizzontali1");
    EXPECT_EQ(Panel(5), "rette orizzontali");
    Line({50, 100}, {250, 110});
    EXPECT_EQ(Row(*FormGeom->StringGrid2, 1), "1 50 100 250 110");
    EXPECT_EQ(FormGeom->Edit5->text(), "1");
    EXPECT_FALSE(Dragging);
    EXPECT_EQ(PixelAt({50, 100}), kWhite);
    Line({50, 300}, {250, 290});
    EXPECT_EQ(Row(*FormGeom->StringGrid2, 2), "2 50 300 250 290");
    EXPECT_TRUE(main_->rb_linee_or->Checked());

    Command("Rettevertivali1");
    Line({400, 50}, {420, 400});
    EXPECT_EQ(Row(*FormGeom->StringGrid1, 1), "1 400 50 420 400");
    EXPECT_EQ(PixelAt({50, 100}), kWhite);  // the other family is redrawn

    // Starting the family again asks first: No keeps its lines.
    DialogSeam::PresetAnswer(false);
    Command("Retteorizzontali1");
    EXPECT_EQ(FormGeom->Edit5->text(), "2");
    EXPECT_EQ(DialogSeam::Questions().size(), 1);
    FormTabPar->show();
    Command("Retteorizzontali1");
    EXPECT_EQ(FormGeom->Edit5->text(), "0");
    EXPECT_EQ(FormGeom->Edit6->text(), "1");
    EXPECT_EQ(CountPoints(*FormGeom->StringGrid2), 0);
    for (QLineEdit* e : {FormGeom->Edit1, FormGeom->Edit2, FormGeom->Edit3, FormGeom->Edit4})
        EXPECT_EQ(e->text(), "/");
    EXPECT_FALSE(FormTabPar->isVisible());
    EXPECT_EQ(PixelAt({50, 100}), kGround);
    EXPECT_EQ(PixelAt({400, 50}), kWhite);

    // After "Chiudi" a click enters nothing; the lines stay.
    Command("Chiudi1");
    Click({10, 10});
    EXPECT_EQ(CountPoints(*FormGeom->StringGrid2), 0);
    EXPECT_FALSE(Dragging);
    EXPECT_EQ(FormGeom->Edit6->text(), "1");
}

TEST_F(ParallelLines, AnEleventhLineIsRefusedAtEntry) {
    OpenPicture(Ground());
    Command("Rettevertivali1");
    for (int i = 0; i < 10; ++i) Line({20 + 40 * i, 50}, {30 + 40 * i, 400});
    EXPECT_EQ(FormGeom->Edit6->text(), "10");
    const QImage before = ImageWindow->Image1->Picture().copy();
    Click({600, 60});
    EXPECT_TRUE(Panel(6).contains("10"));
    EXPECT_TRUE(FormGeom->StringGrid1->Cells(1, 11).isEmpty());
    EXPECT_FALSE(Dragging);
    EXPECT_EQ(LinePhase, 1);
    EXPECT_EQ(ImageWindow->Image1->Picture(), before);
}

TEST_F(ParallelLines, DeletingWhileAFirstEndIsPendingDropsBoth) {
    OpenPicture(Ground());
    Command("Rettevertivali1");
    Command("Eliminaultimaretta1");  // nothing to delete
    EXPECT_EQ(LineRow, 1);
    EXPECT_EQ(FormGeom->Edit6->text(), "0");
    Line({100, 50}, {110, 400});
    Line({200, 50}, {205, 400});
    Line({300, 50}, {295, 400});
    Click({400, 60});
    QTest::mouseMove(ImageWindow->Image1, {460, 300});
    ASSERT_TRUE(Dragging);
    Command("Eliminaultimaretta1");
    EXPECT_FALSE(Dragging);
    EXPECT_EQ(LinePhase, 1);
    EXPECT_EQ(LineRow, 3);
    EXPECT_TRUE(FormGeom->StringGrid1->Cells(1, 3).isEmpty());
    EXPECT_TRUE(FormGeom->StringGrid1->Cells(1, 4).isEmpty());
    EXPECT_EQ(FormGeom->Edit6->text(), "2");
    EXPECT_EQ(PixelAt({100, 50}), kWhite);
    EXPECT_EQ(PixelAt({300, 50}), kGround);
    EXPECT_EQ(PixelAt({400, 60}), kGround);  // the band is gone too
    Line({300, 50}, {295, 400});
    EXPECT_EQ(Row(*FormGeom->StringGrid1, 3), "3 300 50 295 400");
}

TEST_F(ParallelLines, VanishingPointsAreShownAndTheLinesProlonged) {
    OpenPicture(Ground());
    Command("Rettevertivali1");
    Line({100, 400}, {110, 100});
    Command("Calcolopuntidifuga1");
    EXPECT_EQ(FormAvviso->Label1->text(), " definire le rette");
    EXPECT_FALSE(main_->cb_fughe->Checked());
    Command("Calcoloparametri1");
    EXPECT_EQ(FormAvviso->Label1->text(), " calcolare punti di fuga");

    // The worked example's vertical lines (vanishing point (200, -2600)).
    Line({300, 400}, {290, 100});
    Command("Retteorizzontali1");
    Line({50, 450}, {600, 440});
    Line({60, 200}, {590, 215});
    Command("Calcolopuntidifuga1");
    EXPECT_EQ(FormGeom->Edit1->text(), "200.000");
    EXPECT_EQ(FormGeom->Edit2->text(), "-2600.000");
    EXPECT_TRUE(main_->cb_fughe->Checked());
    EXPECT_FALSE(main_->rb_linee_or->Checked());
    EXPECT_FALSE(main_->rb_linee_vert->Checked());
    EXPECT_EQ(Panel(5), " ");
    // Above the clicked segment, the prolongation of the first line.
    int white = 0;
    for (int x = 105; x <= 118; ++x) white += PixelAt({x, 40}) == kWhite;
    EXPECT_EQ(white, 1);
    Click({320, 240});
    EXPECT_EQ(CountPoints(*FormGeom->StringGrid1), 2);  // no more lines enter

    Command("Calcoloparametri1");
    StringGrid& par = *FormTabPar->StringGrid1;
    EXPECT_EQ(par.Cells(0, 1), "aa1");
    EXPECT_EQ(par.Cells(0, 8), "vv");
    EXPECT_EQ(par.Cells(2, 8), "/");
    EXPECT_EQ(par.Cells(1, 1).section('.', 1).size(), 5);
    EXPECT_TRUE(FormTabPar->isVisible());
    EXPECT_GE(FormTabPar->width(), 174);
    EXPECT_TRUE(main_->cb_fot->Checked());
    // No area yet: the corners read 0, the extent is the point of pixel (0, 0).
    EXPECT_FALSE(FormLimiti->Edit1->text().isEmpty());
    EXPECT_EQ(FormLimiti->Edit1->text(), FormLimiti->Edit3->text());
    EXPECT_EQ(FormLimiti->Edit2->text(), FormLimiti->Edit4->text());
}

// Nearly parallel verticals put their vanishing point far away: its
// coordinates still show whole, side by side.
TEST_F(ParallelLines, AFarVanishingPointShowsWhole) {
    VanishingPointsOf({{{10, 470}, {11, 10}, {630, 470}, {631, 11}}});
    ASSERT_GE(FormGeom->Edit2->text().size(), 12) << FormGeom->Edit2->text().toStdString();
    for (QLineEdit* e : {FormGeom->Edit1, FormGeom->Edit2})
        EXPECT_GE(e->width(), e->fontMetrics().horizontalAdvance(e->text()) + 8);
    EXPECT_GT(FormGeom->Edit2->x(), FormGeom->Edit1->geometry().right());
    EXPECT_LE(FormGeom->Edit2->geometry().right(), FormGeom->Body()->width());
}

TEST_F(ParallelLines, AParallelFamilyIsRefused) {
    VanishingPointsOf({{{100, 400}, {100, 100}, {300, 400}, {300, 50}}});
    EXPECT_EQ(Panel(2), "Si è verificato un errore!");
    ASSERT_FALSE(DialogSeam::Messages().isEmpty());
    EXPECT_TRUE(DialogSeam::Messages().last().contains("verticali"));
    EXPECT_EQ(FormGeom->Edit1->text(), "/");
    EXPECT_EQ(FormGeom->Edit3->text(), "/");
    EXPECT_FALSE(main_->cb_fughe->Checked());
}

TEST_F(ParallelLines, ParallelChosenLinesRefuseTheParameters) {
    // The lowest horizontal and the leftmost vertical run side by side.
    VanishingPointsOf({{{50, 300}, {250, 200}, {400, 300}, {420, 100}}},
                      {{{100, 400}, {300, 300}, {100, 200}, {300, 150}}});
    ASSERT_TRUE(main_->cb_fughe->Checked());
    main_->cb_fot->SetChecked(true);
    Command("Calcoloparametri1");
    EXPECT_EQ(Panel(2), "Si è verificato un errore!");
    ASSERT_FALSE(DialogSeam::Messages().isEmpty());
    EXPECT_TRUE(DialogSeam::Messages().last().contains("orizzontale 1 e la retta verticale 1"));
    EXPECT_FALSE(main_->cb_fot->Checked());
    EXPECT_EQ(CountPoints(*FormTabPar->StringGrid1), 0);
}

TEST_F(ParallelLines, AResetDuringEntryRestartsFromTheFirstRow) {
    OpenPicture(Ground());
    Command("Retteorizzontali1");
    Line({50, 100}, {250, 110});
    Line({50, 300}, {250, 290});
    Click({60, 400});
    main_->Action("Reset2")->trigger();
    EXPECT_FALSE(Dragging);
    main_->Action("Individuarette2")->trigger();
    Line({70, 200}, {260, 190});
    EXPECT_EQ(Row(*FormGeom->StringGrid2, 1), "1 70 200 260 190");
    EXPECT_EQ(CountPoints(*FormGeom->StringGrid2), 1);
    EXPECT_EQ(FormGeom->Edit5->text(), "1");
}
