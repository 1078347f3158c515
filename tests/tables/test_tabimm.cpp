#include "app/u_forms.h"
#include "tests/tables/tabimm_fixture.h"

using ImageTable = TableRun;

TEST_F(ImageTable, WithoutAnImageEveryCommandOnlyWritesItsMessage) {
    main_->Action("Visualizza6")->trigger();
    StringGrid* g = FormTabImm->StringGrid1;
    g->SetCells(0, 1, "5");
    g->SetCells(1, 1, "10");
    g->SetCells(2, 1, "20");
    FormTabImm->Edit1->setText("5");
    struct Case {
        const char* action;
        const char* text;
    };
    for (Case c : {Case{"Iniziacollimazione1", "nessuna immagine caricata"},
                   Case{"Registrapunto1", " nessuna immagine caricata"},
                   Case{"Eliminapunto1", "nessuna immagine caricata"},
                   Case{"Editapunto1", "nessuna immagine caricata"},
                   Case{"Resettabella1", "nessuna immagine caricata"},
                   Case{"Disegnapunti1", "nessuna immagine caricata"}}) {
        main_->StatusBar1->SetPanel(6, "");
        Command(c.action);
        EXPECT_EQ(Panel(6), c.text) << c.action;
        EXPECT_EQ(Panel(4), "") << c.action;
        EXPECT_EQ(Panel(5), "") << c.action;
        EXPECT_EQ(FormTabImm->StatusBar1->Panel(0), "") << c.action;
        EXPECT_FALSE(main_->rb_collima->Checked()) << c.action;
        EXPECT_FALSE(main_->rb_edita->Checked() || main_->rb_elimina->Checked()) << c.action;
        EXPECT_EQ(Cell(0, 1), "5");
        EXPECT_EQ(Cell(0, 2), "");
        EXPECT_EQ(FormTabImm->Edit1->text(), "5");
    }
    EXPECT_TRUE(FormTabImm->isVisible());
    Command("Esci1");
    EXPECT_FALSE(FormTabImm->isVisible());
    EXPECT_EQ(Cell(0, 1), "5");
}

TEST_F(ImageTable, CollimationRegistersNumberedPointsAndMarksThem) {
    OpenPicture();
    main_->Action("Visualizza6")->trigger();
    FormTabImm->Edit1->setText("9");
    Command("Iniziacollimazione1");
    EXPECT_TRUE(main_->rb_collima->Checked());
    EXPECT_EQ(FormTabImm->StatusBar1->Panel(0), " collima punto");
    EXPECT_EQ(Panel(5), " collimazione");
    EXPECT_EQ(FormTabImm->Edit1->text(), "1");

    PressImage(40, 30);
    EXPECT_EQ(FormTabImm->Edit2->text(), "40");
    EXPECT_EQ(FormTabImm->Edit3->text(), "30");
    Command("Registrapunto1");
    Collimate(120, 90);
    // Without a new click the point is not registered again.
    Command("Registrapunto1");
    EXPECT_EQ(Cell(0, 3), "");
    EXPECT_TRUE(Panel(6).contains("nessun nuovo punto"));
    EXPECT_EQ(Cell(0, 1), "1");
    EXPECT_EQ(Cell(1, 1), "40");
    EXPECT_EQ(Cell(2, 1), "30");
    EXPECT_EQ(Cell(0, 2), "2");
    EXPECT_EQ(Cell(1, 2), "120");
    EXPECT_EQ(Cell(2, 2), "90");
    EXPECT_EQ(FormTabImm->StringGrid1->RowCount(), 3);
    EXPECT_EQ(FormTabImm->Edit1->text(), "3");

    const QColor red = main_->ColorDialog1.Color;
    EXPECT_TRUE(CrossAt(40, 30, red));
    EXPECT_TRUE(CrossAt(120, 90, red));
    EXPECT_EQ(PixelAt(40 - 8, 30 + 3), kGround);  // width 2: rows y-1 and y only
    // The unmarked copy stays unmarked.
    EXPECT_EQ(CleanBitmap.pixel(40 - 8, 30), kGround);

    // A right press or a press outside collimation leaves the fields alone.
    PressImage(60, 61, Qt::RightButton);
    EXPECT_EQ(FormTabImm->Edit2->text(), "120");
    main_->rb_collima->SetChecked(false);
    PressImage(60, 61);
    EXPECT_EQ(FormTabImm->Edit2->text(), "120");
    // Without collimation "Registra punto" registers nothing.
    Command("Registrapunto1");
    EXPECT_EQ(Cell(0, 3), "");
}

// Return, as the user's keys send it: on the picture just clicked, or in
// the table's fields, it registers the pending point; outside collimation it
// registers nothing.
TEST_F(ImageTable, ReturnOnThePictureOrInTheTableRegistersThePendingPoint) {
    OpenPicture();
    main_->Action("Visualizza6")->trigger();
    Command("Iniziacollimazione1");
    PressImage(40, 30);
    QTest::keyClick(ImageWindow, Qt::Key_Return);
    PressImage(120, 90);
    QTest::keyClicks(FormTabImm->Edit1, "a");
    QTest::keyClick(FormTabImm->Edit1, Qt::Key_Enter);
    EXPECT_EQ(Cell(0, 1), "1");
    EXPECT_EQ(Cell(1, 1), "40");
    EXPECT_EQ(Cell(0, 2), "2a");
    EXPECT_EQ(Cell(2, 2), "90");
    EXPECT_TRUE(CrossAt(120, 90, main_->ColorDialog1.Color));
    main_->rb_collima->SetChecked(false);
    QTest::keyClick(FormTabImm->Edit2, 'X');
    QTest::keyClick(ImageWindow, Qt::Key_Return);
    EXPECT_EQ(Cell(0, 3), "");
}

TEST_F(ImageTable, NextNameCountsOnFromTheLeadingDigits) {
    OpenPicture();
    Command("Iniziacollimazione1");
    struct Case {
        const char* name;
        const char* next;
    };
    for (Case c :
         {Case{"7", "8"}, Case{"12a", "13"}, Case{"?", "1"}, Case{"P4", "1"}, Case{"-3", "-2"}}) {
        FormTabImm->Edit1->setText(c.name);
        Collimate(50, 50);
        EXPECT_EQ(FormTabImm->Edit1->text(), c.next) << c.name;
    }
    // An empty name registers as "?"; fields that are not numbers give 0.
    FormTabImm->Edit1->setText("");
    main_->Action("Visualizza6")->trigger();
    FormTabImm->Edit2->clear();
    QTest::keyClicks(FormTabImm->Edit2, "abc");  // typed: a new point
    FormTabImm->Edit3->setText("");
    Command("Registrapunto1");
    const int r = CountPoints(*FormTabImm->StringGrid1);
    EXPECT_EQ(r, 6);
    EXPECT_EQ(Cell(0, r), "?");
    EXPECT_EQ(Cell(1, r), "0");
    EXPECT_EQ(Cell(2, r), "0");
    EXPECT_EQ(FormTabImm->Edit1->text(), "1");
    EXPECT_EQ(Cell(0, 2), "12a");
}

TEST_F(ImageTable, DeletingAPointMovesTheRestUpAndErasesItsMark) {
    OpenPicture();
    main_->Action("Visualizza6")->trigger();
    Command("Iniziacollimazione1");
    const int xs[] = {20, 50, 80, 110, 140};
    for (int x : xs) Collimate(x, 40 + x / 2);
    Command("Eliminapunto1");
    EXPECT_TRUE(main_->rb_elimina->Checked());
    EXPECT_EQ(FormTabImm->StatusBar1->Panel(0), " elimina punto");
    EXPECT_EQ(Panel(4), " elimina punto");

    PressGridRow(2);
    EXPECT_EQ(FormTabImm->StatusBar1->Panel(1), "2");
    EXPECT_FALSE(main_->rb_elimina->Checked());
    EXPECT_EQ(Panel(4), "");
    StringGrid* g = FormTabImm->StringGrid1;
    EXPECT_EQ(CountPoints(*g), 4);
    EXPECT_EQ(g->RowCount(), 5);  // the title row and four points
    const char* names[] = {"1", "3", "4", "5"};
    for (int r = 1; r <= 4; ++r) EXPECT_EQ(Cell(0, r), names[r - 1]);
    EXPECT_EQ(Cell(1, 2), "80");
    const QColor red = main_->ColorDialog1.Color;
    EXPECT_TRUE(NoMarkAt(50, 65));
    for (int x : {20, 80, 110, 140}) EXPECT_TRUE(CrossAt(x, 40 + x / 2, red)) << x;

    // A later press without "Elimina punto" deletes nothing.
    PressGridRow(1);
    EXPECT_EQ(CountPoints(*g), 4);
}

TEST_F(ImageTable, DeletePressBelowTheTableDeletesNothing) {
    OpenPicture();
    // One point loaded leaves the design rows showing, all empty but row 1.
    WriteFile("uno.imm", "A  90  90\r\n");
    DialogSeam::PresetFileName(PathOf("uno.imm"));
    main_->Action("Carica4")->trigger();
    Command("Disegnapunti1");
    StringGrid* g = FormTabImm->StringGrid1;
    ASSERT_EQ(g->RowCount(), 500);
    Command("Eliminapunto1");
    PressGridRow(3);
    EXPECT_EQ(CountPoints(*g), 1);
    EXPECT_EQ(Cell(0, 1), "A");
    EXPECT_TRUE(CrossAt(90, 90, main_->ColorDialog1.Color));
    EXPECT_EQ(FormTabImm->StatusBar1->Panel(1), "3");
    EXPECT_FALSE(main_->rb_elimina->Checked());
    EXPECT_EQ(Panel(4), "");
    // A press on the point itself still deletes it.
    Command("Eliminapunto1");
    PressGridRow(1);
    EXPECT_EQ(CountPoints(*g), 0);
    EXPECT_TRUE(NoMarkAt(90, 90));
}

TEST_F(ImageTable, EditingARowWritesTheFieldsAsTyped) {
    OpenPicture();
    main_->Action("Visualizza6")->trigger();
    Command("Iniziacollimazione1");
    Collimate(30, 30);
    Collimate(60, 60);
    Collimate(90, 90);
    Command("Editapunto1");
    EXPECT_TRUE(main_->rb_edita->Checked());
    EXPECT_EQ(Panel(4), " edita punto");
    EXPECT_EQ(FormTabImm->StatusBar1->Panel(0), " edita punto");
    PressGridRow(2);
    EXPECT_EQ(FormTabImm->StatusBar1->Panel(1), "2");
    EXPECT_EQ(FormTabImm->Edit1->text(), "2");
    EXPECT_EQ(FormTabImm->Edit2->text(), "60");
    EXPECT_EQ(FormTabImm->Edit3->text(), "60");
    EXPECT_EQ(Panel(4), "");

    // Before a row is pressed there is none to write: the titles stay.
    FormTabImm->StatusBar1->SetPanel(1, "");
    Command("Registrapunto1");
    EXPECT_EQ(Cell(0, 0), "nome");
    EXPECT_EQ(Cell(1, 0), "   x");
    Command("Editapunto1");
    PressGridRow(2);

    PressImage(150, 40);  // a new position for the point
    FormTabImm->Edit1->setText("B2");
    FormTabImm->Edit3->setText("40.7");
    Command("Registrapunto1");
    EXPECT_FALSE(main_->rb_edita->Checked());
    EXPECT_EQ(Cell(0, 2), "B2");
    EXPECT_EQ(Cell(1, 2), "150");
    EXPECT_EQ(Cell(2, 2), "40.7");
    EXPECT_EQ(CountPoints(*FormTabImm->StringGrid1), 3);
    const QColor red = main_->ColorDialog1.Color;
    EXPECT_TRUE(NoMarkAt(60, 60));
    EXPECT_TRUE(CrossAt(150, 40, red));  // drawn at the integer digits

    // Editing while collimation is off writes nothing and stays armed.
    Command("Editapunto1");
    PressGridRow(1);
    main_->rb_collima->SetChecked(false);
    FormTabImm->Edit1->setText("X");
    Command("Registrapunto1");
    EXPECT_EQ(Cell(0, 1), "1");
    EXPECT_TRUE(main_->rb_edita->Checked());
}

TEST_F(ImageTable, MarksTakeTheOptionsColourAndRedrawShowsOnlyTheTable) {
    OpenPicture();
    const QColor blue(0, 0, 255);
    main_->ColorDialog1.Color = blue;
    Command("Iniziacollimazione1");
    Collimate(50, 50);
    EXPECT_TRUE(CrossAt(50, 50, blue));

    // A point typed into the grid appears only when the points are drawn,
    // and a point dropped from it disappears.
    StringGrid* g = FormTabImm->StringGrid1;
    g->SetCells(0, 1, "7");
    g->SetCells(1, 1, "100");
    g->SetCells(2, 1, "100");
    EXPECT_TRUE(NoMarkAt(100, 100));
    main_->ColorDialog1.Color = QColor(0, 255, 0);
    Command("Disegnapunti1");
    EXPECT_TRUE(CrossAt(100, 100, QColor(0, 255, 0)));
    EXPECT_TRUE(NoMarkAt(50, 50));
}

TEST_F(ImageTable, ResetEmptiesTheTableAndTheMarks) {
    OpenPicture();
    Command("Iniziacollimazione1");
    for (int x : {30, 60, 90}) Collimate(x, 70);
    StringGrid* g = FormTabImm->StringGrid1;
    const int rows = g->RowCount();
    Command("Resettabella1");
    EXPECT_EQ(CountPoints(*g), 0);
    EXPECT_EQ(Cell(0, 1), "");
    EXPECT_EQ(g->RowCount(), rows);
    EXPECT_EQ(FormTabImm->Edit1->text(), "1");
    EXPECT_FALSE(main_->rb_collima->Checked());
    EXPECT_EQ(Panel(5), "");
    for (int x : {30, 60, 90}) EXPECT_TRUE(NoMarkAt(x, 70));
}

TEST_F(ImageTable, ACollimatedTableSurvivesARoundTripToDisk) {
    OpenPicture();
    Command("Iniziacollimazione1");
    Collimate(12, 34);
    FormTabImm->Edit1->setText("A7");
    Collimate(150, 99);
    Collimate(0, 149);
    StringGrid* g = FormTabImm->StringGrid1;
    QStringList before;
    for (int r = 0; r <= 4; ++r)
        for (int c = 0; c < 3; ++c) before << g->Cells(c, r);
    const int rows = g->RowCount();

    DialogSeam::PresetFileName(PathOf("punti.imm"));
    main_->Action("Salva5")->trigger();
    EXPECT_EQ(ReadFile("punti.imm"), QByteArray("1  12  34\r\nA7  150  99\r\n1  0  149\r\n"));

    Command("Resettabella1");
    DialogSeam::PresetFileName(PathOf("punti.imm"));
    FormTabImm->hide();
    main_->Action("Carica4")->trigger();
    EXPECT_TRUE(FormTabImm->isVisible());
    QStringList after;
    for (int r = 0; r <= 4; ++r)
        for (int c = 0; c < 3; ++c) after << g->Cells(c, r);
    EXPECT_EQ(after, before);
    EXPECT_EQ(g->RowCount(), rows);
    // Loading does not draw; "Disegna punti" does.
    EXPECT_TRUE(NoMarkAt(150, 99));
    Command("Disegnapunti1");
    EXPECT_TRUE(CrossAt(150, 99, main_->ColorDialog1.Color));
    // Numbering restarted at 1: the load says so, once.
    ASSERT_EQ(DialogSeam::Messages().size(), 1);
    EXPECT_TRUE(DialogSeam::Messages()[0].contains(
        QString::fromUtf8("riga 3: nome già presente alla riga 1")));
}

TEST_F(ImageTable, CancelledOrFailedFileCommandsLeaveTableAndFiles) {
    StringGrid* g = FormTabImm->StringGrid1;
    g->SetCells(0, 1, "4");
    g->SetCells(1, 1, "8");
    g->SetCells(2, 1, "9");
    WriteFile("vecchio.imm", "1  2  3\r\n");

    DialogSeam::PresetCancel();
    main_->Action("Salva5")->trigger();
    DialogSeam::PresetCancel();
    main_->Action("Carica4")->trigger();
    EXPECT_EQ(ReadFile("vecchio.imm"), QByteArray("1  2  3\r\n"));
    EXPECT_EQ(g->Cells(0, 1), "4");
    EXPECT_TRUE(DialogSeam::Messages().isEmpty());

    // The dialog keeps no cancelled name: a later save still asks.
    DialogSeam::PresetCancel();
    main_->Action("Salva5")->trigger();
    EXPECT_EQ(ReadFile("vecchio.imm"), QByteArray("1  2  3\r\n"));

    for (const QString& bad : {PathOf("manca.imm"), dir_.path()}) {
        DialogSeam::Messages().clear();
        DialogSeam::PresetFileName(bad);
        main_->Action("Carica4")->trigger();
        EXPECT_EQ(g->Cells(0, 1), "4") << bad.toStdString();
        EXPECT_EQ(g->Cells(1, 1), "8");
        EXPECT_EQ(DialogSeam::Messages().size(), 1) << bad.toStdString();
    }
    DialogSeam::Messages().clear();
    DialogSeam::PresetFileName(PathOf("nessuna/cartella.imm"));
    main_->Action("Salva5")->trigger();
    EXPECT_EQ(DialogSeam::Messages().size(), 1);
    EXPECT_FALSE(QFile::exists(PathOf("nessuna/cartella.imm")));
}
