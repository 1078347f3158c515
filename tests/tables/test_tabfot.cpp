#include "tables/u_tabfot.h"
#include "tables/u_tabogg.h"
#include "tests/facade.h"
#include "tests/tables/tabimm_fixture.h"

namespace {

// A mark typed into a cell of the union grid, as its editor would store it.
void TypeMark(StringGrid* g, int row, const QString& text = "*") {
    g->model()->setData(g->model()->index(row - 1, 5), text, Qt::EditRole);
}

QStringList Column(const StringGrid* g, int col, int rows) {
    QStringList out;
    for (int r = 1; r <= rows; ++r) out << g->Cells(col, r);
    return out;
}

}  // namespace

class UnionTable : public TableRun {
protected:
    StringGrid* Img() const { return FormTabImm->StringGrid1; }
    StringGrid* Ogg() const { return FormTabOgg->StringGrid1; }
    StringGrid* Fot() const { return FormTabFot->StringGrid1; }
    void LoadImage(const QByteArray& text) {
        WriteFile("p.imm", text);
        DialogSeam::PresetFileName(PathOf("p.imm"));
        main_->Action("Carica4")->trigger();
    }
    void LoadObject(const QByteArray& text) {
        WriteFile("p.ogg", text);
        DialogSeam::PresetFileName(PathOf("p.ogg"));
        main_->Action("Carica5")->trigger();
    }
    void Build() { FormTabFot->Command("Creafilefot1")->trigger(); }
};

TEST_F(UnionTable, ObjectTableWithDecimalCommasJoinsACollimatedTable) {
    OpenPicture();
    FormTabImm->Command("Iniziacollimazione1")->trigger();
    Collimate(10, 20);
    Collimate(30, 40);
    Collimate(50, 60);
    DialogSeam::PresetFileName(PathOf("c.imm"));
    main_->Action("Salva5")->trigger();
    FormTabImm->Command("Resettabella1")->trigger();
    DialogSeam::PresetFileName(PathOf("c.imm"));
    main_->Action("Carica4")->trigger();
    ASSERT_EQ(CountPoints(*Img()), 3);

    LoadObject("3  7,25  1234,5\r\n1 12,5 3,25\r\n9  1  1\r\n");
    EXPECT_TRUE(FormTabOgg->isVisible());
    EXPECT_EQ(Column(Ogg(), 1, 3), QStringList({"7.250", "12.500", "1.000"}));
    EXPECT_EQ(Column(Ogg(), 2, 3), QStringList({"1234.500", "3.250", "1.000"}));

    Build();
    EXPECT_EQ(CountPoints(*Fot()), 2);
    EXPECT_EQ(Column(Fot(), 0, 2), QStringList({"1", "3"}));
    EXPECT_EQ(Column(Fot(), 1, 2), QStringList({"10", "50"}));
    EXPECT_EQ(Column(Fot(), 2, 2), QStringList({"20", "60"}));
    EXPECT_EQ(Column(Fot(), 3, 2), QStringList({"12.500", "7.250"}));
    EXPECT_EQ(Column(Fot(), 4, 2), QStringList({"3.250", "1234.500"}));
    EXPECT_FALSE(main_->cb_fot->Checked());
}

TEST_F(UnionTable, FourMatchesMakeTheTableUsableAndARebuildNeverUnmakesIt) {
    LoadImage("1 10 10\r\n2 20 20\r\n3 30 30\r\n4 40 40\r\n5 50 50\r\n");
    LoadObject("1 1 1\r\n3 3 3\r\n5 5 5\r\n");
    Build();
    EXPECT_EQ(CountPoints(*Fot()), 3);
    EXPECT_FALSE(main_->cb_fot->Checked());

    LoadObject("4 4 4\r\n1 1 1\r\n3 3 3\r\n5 5 5\r\nA 0 0\r\n");
    Build();
    EXPECT_EQ(Column(Fot(), 0, 5), QStringList({"1", "3", "4", "5", ""}));
    EXPECT_TRUE(main_->cb_fot->Checked());

    LoadObject("2 2 2\r\n4 4 4\r\n");
    Build();
    EXPECT_EQ(CountPoints(*Fot()), 2);
    EXPECT_EQ(Fot()->Cells(1, 3), "");
    EXPECT_TRUE(main_->cb_fot->Checked());

    FormTabFot->Command("resettabella1")->trigger();
    EXPECT_EQ(CountPoints(*Fot()), 0);
    EXPECT_FALSE(main_->cb_fot->Checked());
}

TEST_F(UnionTable, OnlyMarksTypedAfterABuildOrLoadCount) {
    LoadImage("1 10 10\r\n2 20 20\r\n3 30 30\r\n4 40 40\r\n");
    LoadObject("1 1 1\r\n2 2 2\r\n3 3 3\r\n4 4 4\r\n");
    // Marks typed into the empty grid, below any filled row.
    TypeMark(Fot(), 3);
    TypeMark(Fot(), 9);
    Build();
    EXPECT_EQ(Column(Fot(), 5, 4), QStringList({"", "", "", ""}));
    EXPECT_EQ(Fot()->Cells(5, 9), "");

    // A mark on a built row is the user's and stays until the next build,
    // but never reaches the file.
    TypeMark(Fot(), 2);
    EXPECT_EQ(Fot()->Cells(5, 2), "*");
    DialogSeam::PresetFileName(PathOf("u.fot"));
    main_->Action("Salva7")->trigger();
    EXPECT_EQ(ReadFile("u.fot"),
              QByteArray("1  10  10  1.000  1.000\r\n2  20  20  2.000  2.000\r\n"
                         "3  30  30  3.000  3.000\r\n4  40  40  4.000  4.000\r\n"));

    // A fresh union grid with marks scattered over it, then a load.
    FormTabFot->Command("resettabella1")->trigger();
    TypeMark(Fot(), 1);
    TypeMark(Fot(), 3, " *");
    DialogSeam::PresetFileName(PathOf("u.fot"));
    FormTabFot->Command("CAricafilefot1")->trigger();
    EXPECT_EQ(CountPoints(*Fot()), 4);
    EXPECT_EQ(Column(Fot(), 5, 4), QStringList({"", "", "", ""}));
    EXPECT_EQ(Column(Fot(), 3, 4), QStringList({"1.000", "2.000", "3.000", "4.000"}));
    EXPECT_TRUE(main_->cb_fot->Checked());

    // A cancelled load changes nothing, marks included.
    TypeMark(Fot(), 4);
    DialogSeam::PresetCancel();
    main_->Action("Carica6")->trigger();
    EXPECT_EQ(Fot()->Cells(5, 4), "*");
    EXPECT_EQ(CountPoints(*Fot()), 4);
}

TEST_F(UnionTable, TextTypedBelowAGapIsNeitherAPointNorAFourthRow) {
    // A row typed by hand in row 4 of an empty union grid, rows 1 to 3 empty.
    for (int c = 0; c < 5; ++c) Fot()->SetCells(c, 4, "9");
    WriteFile("uno.fot", "1 1 1 1 1\r\n");
    DialogSeam::PresetFileName(PathOf("uno.fot"));
    main_->Action("Carica6")->trigger();
    EXPECT_EQ(CountPoints(*Fot()), 1);
    EXPECT_FALSE(main_->cb_fot->Checked());

    // A build that fills rows 1 to 3 does not take the typed row as a fourth.
    LoadImage("1 10 10\r\n2 20 20\r\n3 30 30\r\n");
    LoadObject("1 1 1\r\n2 2 2\r\n3 3 3\r\n");
    Build();
    EXPECT_EQ(CountPoints(*Fot()), 3);
    EXPECT_EQ(Fot()->Cells(0, 4), "");
    EXPECT_FALSE(main_->cb_fot->Checked());
}

TEST_F(UnionTable, ALoadLeavesNoHandTypedRowBelowTheLoadedPoints) {
    for (int c = 0; c < 3; ++c) Ogg()->SetCells(c, 3, "7");
    LoadObject("1 1 1\r\n2 2 2\r\n");
    EXPECT_EQ(CountPoints(*Ogg()), 2);
    EXPECT_EQ(Ogg()->Cells(0, 3), "");
}

TEST_F(UnionTable, MainMenuLoadAppliesTheFourPointRule) {
    WriteFile("tre.fot", "1 1 1 1 1\r\n2 2 2 2 2\r\n3 3 3 3 3\r\n");
    WriteFile("quattro.fot", "1 1 1 1,5 1\r\n2 2 2 2 2\r\n3 3 3 3 3\r\n4 4 4 4 4\r\n");
    DialogSeam::PresetFileName(PathOf("tre.fot"));
    main_->Action("Carica6")->trigger();
    EXPECT_TRUE(FormTabFot->isVisible());
    EXPECT_EQ(CountPoints(*Fot()), 3);
    EXPECT_FALSE(main_->cb_fot->Checked());
    DialogSeam::PresetFileName(PathOf("quattro.fot"));
    main_->Action("Carica6")->trigger();
    EXPECT_EQ(Fot()->Cells(3, 1), "1.500");
    EXPECT_EQ(Fot()->Cells(1, 1), "1");
    EXPECT_TRUE(main_->cb_fot->Checked());
    // Loading three points again leaves the flag as it was.
    DialogSeam::PresetFileName(PathOf("tre.fot"));
    main_->Action("Carica6")->trigger();
    EXPECT_TRUE(main_->cb_fot->Checked());
    FormTabFot->Command("Chiudi1")->trigger();
    EXPECT_FALSE(FormTabFot->isVisible());
}

TEST_F(UnionTable, ObjectWindowCommandsLoadSaveResetAndClose) {
    WriteFile("o.ogg", "P1  134  -2,5\r\n");
    DialogSeam::PresetFileName(PathOf("o.ogg"));
    FormTabOgg->Command("Caricafileogg1")->trigger();
    EXPECT_EQ(Ogg()->Cells(0, 1), "P1");
    EXPECT_EQ(Ogg()->Cells(1, 1), "134.000");
    EXPECT_EQ(Ogg()->Cells(2, 1), "-2.500");
    EXPECT_EQ(Ogg()->RowCount(), 500);  // one point leaves the row count alone

    Ogg()->SetCells(1, 1, "3,5");  // typed by hand: saved as it stands
    DialogSeam::PresetFileName(PathOf("o2.ogg"));
    FormTabOgg->Command("Salvafileogg1")->trigger();
    EXPECT_EQ(ReadFile("o2.ogg"), QByteArray("P1  3,5  -2.500\r\n"));
    DialogSeam::PresetFileName(PathOf("o3.ogg"));
    main_->Action("Salva6")->trigger();
    EXPECT_EQ(ReadFile("o3.ogg"), ReadFile("o2.ogg"));

    FormTabOgg->Command("Resettabella1")->trigger();
    EXPECT_EQ(Ogg()->Cells(0, 1), "");
    DialogSeam::PresetFileName(PathOf("o2.ogg"));
    main_->Action("Carica5")->trigger();
    EXPECT_EQ(Ogg()->Cells(1, 1), "3.500");
    EXPECT_TRUE(FormTabOgg->isVisible());
    FormTabOgg->Command("Chiudi1")->trigger();
    EXPECT_FALSE(FormTabOgg->isVisible());
}

TEST_F(UnionTable, CancelledAndFailedFileCommandsLeaveTablesAndFiles) {
    LoadObject("1 1 1\r\n");
    LoadImage("1 5 6\r\n2 7 8\r\n");
    Build();
    WriteFile("old.fot", "x\r\n");
    WriteFile("old.ogg", "y\r\n");

    DialogSeam::PresetCancel();
    main_->Action("Salva7")->trigger();
    DialogSeam::PresetCancel();
    FormTabFot->Command("Salvafilefot1")->trigger();
    DialogSeam::PresetCancel();
    main_->Action("Salva6")->trigger();
    DialogSeam::PresetCancel();
    FormTabOgg->Command("Caricafileogg1")->trigger();
    EXPECT_EQ(ReadFile("old.fot"), QByteArray("x\r\n"));
    EXPECT_EQ(ReadFile("old.ogg"), QByteArray("y\r\n"));
    EXPECT_EQ(Ogg()->Cells(0, 1), "1");
    EXPECT_TRUE(DialogSeam::Messages().isEmpty());

    for (const QString& bad : {PathOf("manca.fot"), dir_.path()}) {
        DialogSeam::Messages().clear();
        DialogSeam::PresetFileName(bad);
        main_->Action("Carica6")->trigger();
        EXPECT_EQ(Fot()->Cells(0, 1), "1") << bad.toStdString();
        EXPECT_EQ(DialogSeam::Messages().size(), 1) << bad.toStdString();
        DialogSeam::Messages().clear();
        DialogSeam::PresetFileName(bad);
        main_->Action("Carica5")->trigger();
        EXPECT_EQ(Ogg()->Cells(0, 1), "1") << bad.toStdString();
        ASSERT_EQ(DialogSeam::Messages().size(), 1) << bad.toStdString();
        EXPECT_TRUE(DialogSeam::Messages()[0].startsWith("Impossibile aprire il file " + bad));
    }
    for (const char* action : {"Salva6", "Salva7"}) {
        DialogSeam::Messages().clear();
        DialogSeam::PresetFileName(PathOf("nessuna/t.txt"));
        main_->Action(action)->trigger();
        ASSERT_EQ(DialogSeam::Messages().size(), 1) << action;
        EXPECT_TRUE(DialogSeam::Messages()[0].startsWith("Impossibile creare il file " +
                                                         PathOf("nessuna/t.txt") + ":\n"))
            << DialogSeam::Messages()[0].toStdString();
    }
}

// ---- Loading the files a surveyor or a spreadsheet gives ---------------------

TEST_F(UnionTable, ATabSeparatedFacadeLoadsWithEveryDigitAndNoMessage) {
    auto withNationalGrid = [](std::string text, const std::string& sep) {
        const std::string line = "5100012.345" + sep + "1500012.345" + sep + "1234.567\r\n";
        return text.replace(text.find("\r\n") + 2, 0, line);
    };
    const std::string text = withNationalGrid(FacadeObjectText("\t"), "\t");
    LoadObject(QByteArray::fromStdString("\r\n" + text));  // a blank first line too
    EXPECT_TRUE(DialogSeam::Messages().isEmpty())
        << DialogSeam::Messages().join("\n").toStdString();
    EXPECT_EQ(CountPoints(*Ogg()), 13);
    EXPECT_EQ(Ogg()->Cells(0, 2), "5100012.345");
    EXPECT_EQ(Ogg()->Cells(1, 2), "1500012.345");
    EXPECT_EQ(Ogg()->Cells(2, 2), "1234.567");
    EXPECT_GT(Ogg()->columnWidth(1), Ogg()->fontMetrics().horizontalAdvance("1500012.345"));
    DialogSeam::PresetFileName(PathOf("back.ogg"));
    main_->Action("Salva6")->trigger();
    // Saved back with two blanks, byte for byte what the surveyor wrote.
    EXPECT_EQ(ReadFile("back.ogg").toStdString(), withNationalGrid(FacadeObjectText("  "), "  "));
}

TEST_F(UnionTable, MalformedLinesAndRepeatedNamesLoadAndAreListedOnce) {
    std::string text = FacadeObjectText();
    text += "13  5001,500\r\n\r\n14  nan  inf\r\n3  5000.000  1000.000\r\n" +
            std::string(300, 'N') + "  1  2\r\n";
    LoadObject(QByteArray::fromStdString(text));
    EXPECT_EQ(CountPoints(*Ogg()), 16);  // every line loads as it reads
    EXPECT_EQ(Ogg()->Cells(2, 13), "0.000");
    EXPECT_EQ(Ogg()->Cells(0, 16).size(), 255);
    ASSERT_EQ(DialogSeam::Messages().size(), 1);
    const QString msg = DialogSeam::Messages().first();
    for (const char* part :
         {"riga 13: manca la coordinata 2",
          "riga 15: la coordinata 1 non è un numero; "
          "la coordinata 2 non è un numero",
          "riga 16: nome già presente alla riga 3", "riga 17: nome più lungo di 255 caratteri"})
        EXPECT_TRUE(msg.contains(QString::fromUtf8(part))) << part << "\n" << msg.toStdString();
    EXPECT_FALSE(msg.contains("riga 14"));
}

// How long such a line takes is bench/table_bench's figure.
TEST_F(UnionTable, ATenMegabyteLineLoadsIntoTheGridWithItsNameCut) {
    WriteFile("lunga.ogg", "1 1 1\r\n" + QByteArray(10000000, 'x') + "\r\n");
    DialogSeam::PresetFileName(PathOf("lunga.ogg"));
    main_->Action("Carica5")->trigger();
    EXPECT_EQ(Ogg()->Cells(0, 2).size(), 255);
    EXPECT_EQ(DialogSeam::Messages().size(), 1);
}
