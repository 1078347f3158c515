// The export windows driven through their commands: the world file proposed
// and saved, the DXF point table on a plain rectified picture, the DXF export
// through its window, and "Salva " of the rectified image. The bytes of each
// format are checked by the core tests; here the windows' texts must reach
// the files, and a cancel or a failure must leave nothing behind.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <tuple>

#include "app/u_principale.h"
#include "export/U_tabptidxf.h"
#include "export/u_dxf.h"
#include "export/u_georeferenzia.h"
#include "export/u_salvacorretta_ui.h"
#include "platform/imagecontrol.h"
#include "rectify/u_rapporto.h"
#include "rectify/u_scala.h"
#include "tests/gui_fixture.h"
#include "view/u_limiti.h"

namespace {

constexpr QRgb kGround = 0xFF808080u;

QByteArray Golden(const char* name) {
    QFile f(QString(VEK_TEST_DATA) + "/" + name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Everything after the first line (which names the bitmap's path).
QByteArray AfterFirstLine(const QByteArray& text) { return text.mid(text.indexOf("\r\n")); }

class ExportRun : public VekRun {
protected:
    void SetUp() override {
        VekRun::SetUp();
        ChooseAnalytic();
        ASSERT_TRUE(dir_.isValid());
        main_->cb_corr->SetChecked(true);
        SetDxfPointPause(std::chrono::milliseconds(1));
    }
    void TearDown() override {
        SetDxfPointPause(std::chrono::milliseconds(100));
        delete shown_;
        VekRun::TearDown();
    }
    // A grey w x h rectified picture in its control, with its clean copy.
    void ShowRectified(int w, int h) {
        QImage picture(w, h, QImage::Format_RGB32);
        picture.fill(kGround);
        CleanRectified = picture;
        shown_ = new ImageControl("Image1");
        shown_->SetPicture(picture);
        SetRectifiedImage(shown_);
    }
    QRgb PixelAt(int x, int y) const { return shown_->Picture().pixel(x, y); }
    bool CrossAt(int x, int y, QColor c) const {
        return PixelAt(x - 8, y) == c.rgb() && PixelAt(x, y - 8) == c.rgb();
    }
    QString PathOf(const QString& name) const { return dir_.filePath(name); }
    QByteArray Read(const QString& name) const {
        QFile f(PathOf(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QStringList Files() const {
        return QDir(dir_.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries);
    }
    void Analytic(const char* xin, const char* yin, const char* xfin, const char* yfin,
                  const char* pixel) {
        FormLimiti->Edit1->setText(xin);
        FormLimiti->Edit2->setText(yin);
        FormLimiti->Edit3->setText(xfin);
        FormLimiti->Edit4->setText(yfin);
        FormScala->Edit1->setText(pixel);
    }
    void Table(const char* command) { FormTabPtiDxf->Command(command)->trigger(); }
    QString Cell(int c, int r) const { return FormTabPtiDxf->StringGrid1->Cells(c, r); }
    void PressTableRow(int row) {
        StringGrid* g = FormTabPtiDxf->StringGrid1;
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, g->RowRect(row).center());
    }
    // The readout of the pressed pixel, then the rectified window's press.
    void Pick(const char* x, const char* y) {
        main_->StatusBar1->SetPanel(0, x);
        main_->StatusBar1->SetPanel(1, y);
        DxfCollimationBranch(Qt::LeftButton);
        Table("Registrapunto1");
    }

    QTemporaryDir dir_;
    ImageControl* shown_ = nullptr;
};

}  // namespace

TEST_F(ExportRun, WorldFileProposedForEitherMethodSavedAsEditedOrNotAtAll) {
    Analytic("150.000", "230.000", "155.000", "226.000", "0.010");
    FormRapporto->Edit6->setText("0.02");
    main_->Edit6->setText("2.000");
    main_->Action("Georeferenzia2")->trigger();
    ASSERT_TRUE(FormGeoreferenzia->isVisible());
    DialogSeam::PresetFileName(PathOf("facciata"));  // the default extension is added
    FormGeoreferenzia->Command("Salvafilegeo1")->trigger();
    EXPECT_EQ(Read("facciata.bpw"), Golden("world_analytic.tfw"));

    // The name proposed is the last saved bitmap's, as GIS programs seek it.
    main_->SavePictureDialog1.FileName = PathOf("rilievo.bmp");
    FormGeoreferenzia->Edit6->setText("231.5");
    DialogSeam::PresetCancel();
    FormGeoreferenzia->Command("Salvafilegeo1")->trigger();
    EXPECT_EQ(FormGeoreferenzia->SaveDialog1.FileName, PathOf("rilievo.bpw"));
    EXPECT_EQ(Files(), QStringList{"facciata.bpw"});
    DialogSeam::PresetFileName(PathOf("facciata.tfw"));
    FormGeoreferenzia->Command("Salvafilegeo1")->trigger();
    EXPECT_TRUE(Read("facciata.tfw").endsWith("150.000\r\n231.5"));
    // A GIS reads the point only; a line that is no number is refused.
    FormGeoreferenzia->Edit6->setText("231,5");
    DialogSeam::PresetFileName(PathOf("virgola.tfw"));
    FormGeoreferenzia->Command("Salvafilegeo1")->trigger();
    EXPECT_TRUE(Read("virgola.tfw").endsWith("150.000\r\n231.5"));
    FormGeoreferenzia->Edit2->setText("zero");
    FormGeoreferenzia->Command("Salvafilegeo1")->trigger();
    EXPECT_EQ(DialogSeam::Messages(), QStringList{"La riga 2 del file di georeferenziazione non "
                                                  "è un numero: correggerla e ripetere."});
    DialogSeam::Messages().clear();
    FormGeoreferenzia->Edit2->setText("0.000");

    // The geometric frame starts at the lower-left corner: the upper-left
    // pixel lies at (0, H). A second proposal overwrites the edits.
    main_->rb_geom->SetChecked(true);
    main_->Action("Georeferenzia2")->trigger();
    const QLineEdit* lines[6] = {FormGeoreferenzia->Edit1, FormGeoreferenzia->Edit2,
                                 FormGeoreferenzia->Edit3, FormGeoreferenzia->Edit4,
                                 FormGeoreferenzia->Edit5, FormGeoreferenzia->Edit6};
    const char* expected[6] = {"0.02", "0.000", "0.000", "-0.02", "0.000", "2.000"};
    for (int k = 0; k < 6; ++k) EXPECT_EQ(lines[k]->text(), expected[k]) << k + 1;
    EXPECT_TRUE(DialogSeam::Messages().isEmpty());
}

TEST_F(ExportRun, DxfTableRegistersEditsDeletesMarksAndSaves) {
    ShowRectified(500, 500);
    Analytic("100", "300", "350", "50", "0.5");  // s = 0.5, lower-left corner (100, 50)
    const QColor colour = FormTabPtiDxf->ColorDialog1.Color;
    Table("Iniziacollimazione1");
    EXPECT_TRUE(main_->rb_dxf->Checked());
    EXPECT_EQ(Panel(5), " collimazione dxf");
    FormTabPtiDxf->Edit1->clear();
    Pick("150,000", "200.000");  // column 100, row 500 - 300
    EXPECT_EQ(FormTabPtiDxf->Edit2->text(), "150.000");
    Pick("200.000", "150.000");  // column 200, row 300
    EXPECT_EQ(Cell(0, 1), "?");
    EXPECT_EQ(Cell(1, 1), "150.000");
    EXPECT_EQ(Cell(2, 1), "200.000");
    EXPECT_EQ(Cell(0, 2), "1");
    EXPECT_EQ(FormTabPtiDxf->Edit1->text(), "2");
    EXPECT_TRUE(CrossAt(100, 200, colour));
    EXPECT_TRUE(CrossAt(200, 300, colour));
    EXPECT_EQ(CleanRectified.pixel(92, 200), kGround);

    // Edit: a press on row 1 fills the fields, Return writes them back.
    Table("Editapunto1");
    PressTableRow(1);
    EXPECT_EQ(FormTabPtiDxf->Edit2->text(), "150.000");
    FormTabPtiDxf->Edit2->setText("175.000");  // column 150
    QTest::keyClick(FormTabPtiDxf->Edit2, Qt::Key_Return);
    EXPECT_FALSE(main_->rb_edita->Checked());
    EXPECT_EQ(Cell(1, 1), "175.000");
    EXPECT_TRUE(CrossAt(150, 200, colour));
    EXPECT_EQ(PixelAt(92, 200), kGround);

    // Delete row 1: its mark goes, the other stays.
    Table("Eliminapunto1");
    PressTableRow(1);
    EXPECT_EQ(Cell(0, 1), "1");
    EXPECT_EQ(Cell(0, 2), "");
    EXPECT_FALSE(main_->rb_elimina->Checked());
    EXPECT_EQ(PixelAt(142, 200), kGround);
    EXPECT_TRUE(CrossAt(200, 300, colour));

    DialogSeam::PresetFileName(PathOf("punti.txt"));
    main_->Action("Salvapunti1")->trigger();
    EXPECT_EQ(Read("punti.txt"), "1  200.000  150.000\r\n");

    // Only a left press in DXF mode takes the readout.
    main_->StatusBar1->SetPanel(0, "9.000");
    DxfCollimationBranch(Qt::RightButton);
    main_->rb_dxf->SetChecked(false);
    DxfCollimationBranch(Qt::LeftButton);
    EXPECT_NE(FormTabPtiDxf->Edit2->text(), "9.000");

    Table("Resettabella1");
    EXPECT_EQ(Cell(0, 1), "");
    EXPECT_EQ(PixelAt(192, 300), kGround);
}

TEST_F(ExportRun, DxfExportThroughTheWindowPausesPaintsAndEndsItsProgress) {
    StringGrid* g = FormTabPtiDxf->StringGrid1;
    const char* rows[2][3] = {{"12", "10.500", "20.250"}, {"punto 2", "-3.25", "7"}};
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 3; ++c) g->SetCells(c, r + 1, rows[r][c]);
    main_->Action("Creadxf1")->trigger();
    ASSERT_EQ(FormDxf->Edit1->text(), "100");
    ASSERT_EQ(FormDxf->Edit2->text(), "1");

    DialogSeam::PresetCancel();
    FormDxf->Command("Salvadxf1")->trigger();
    EXPECT_TRUE(Files().isEmpty());

    // Events other than input are handled during the pauses: a timer armed at
    // the first point fires while the export still runs.
    SetDxfPointPause(std::chrono::milliseconds(20));
    QList<int> progress;
    int seenByTimer = -1;
    QObject::connect(FormDxf->ProgressBar1, &QProgressBar::valueChanged, [&](int v) {
        progress << v;
        if (v == 1) QTimer::singleShot(0, [&] { seenByTimer = FormDxf->ProgressBar1->value(); });
    });
    DialogSeam::PresetFileName(PathOf("disegno"));
    QElapsedTimer clock;
    clock.start();
    FormDxf->Command("Salvadxf1")->trigger();
    EXPECT_GE(clock.elapsed(), 40);
    EXPECT_EQ(Read("disegno.dxf"), Golden("dxf_two_points.dxf"));
    EXPECT_EQ(FormDxf->ProgressBar1->maximum(), 2);
    EXPECT_EQ(progress, (QList<int>{0, 1, 2, 0}));
    EXPECT_GE(seenByTimer, 1);
    EXPECT_TRUE(FormDxf->ProgressBar1->isHidden());
    EXPECT_FALSE(FormDxf->StatusBar1->isHidden());

    // A label size that overflows stops the export with a message, no file.
    FormDxf->Edit1->setText("1e4000");
    FormDxf->Edit2->setText("1e4000");
    DialogSeam::PresetFileName(PathOf("enorme.dxf"));
    FormDxf->Command("Salvadxf1")->trigger();
    EXPECT_EQ(Files(), QStringList{"disegno.dxf"});
    EXPECT_EQ(DialogSeam::Messages().size(), 1);
}

// Fields and cells typed with a decimal comma mean what they say; a field
// or a cell that is no number stops the save with one message naming it.
TEST_F(ExportRun, DxfReadsCommasAndNamesWhatIsNoNumber) {
    StringGrid* g = FormTabPtiDxf->StringGrid1;
    const char* row[3] = {"P", "12,5", "7"};
    for (int c = 0; c < 3; ++c) g->SetCells(c, 1, row[c]);
    FormDxf->Edit2->setText("2,5");  // mm on paper: 0.25 m at 1:100
    DialogSeam::PresetFileName(PathOf("virgola.dxf"));
    FormDxf->Command("Salvadxf1")->trigger();
    const QByteArray dxf = Read("virgola.dxf");
    EXPECT_TRUE(dxf.contains(" 10\r\n     12.500000\r\n")) << dxf.toStdString();
    EXPECT_TRUE(dxf.contains(" 40\r\n      0.250000\r\n")) << dxf.toStdString();

    const std::tuple<QLineEdit*, int, const char*> spoiled[] = {
        {FormDxf->Edit2, 0, "altezza scritte"},
        {FormDxf->Edit1, 0, "scala del disegno"},
        {nullptr, 1, "\"P\""},
        {nullptr, 2, "\"P\""}};
    for (const auto& [field, col, named] : spoiled) {
        FormDxf->Edit1->setText("100");
        FormDxf->Edit2->setText("1");
        g->SetCells(1, 1, "12.5");
        g->SetCells(2, 1, "7");
        field ? field->setText(field == FormDxf->Edit2 ? "abc" : "0") : g->SetCells(col, 1, "x");
        DialogSeam::Messages().clear();
        DialogSeam::PresetFileName(PathOf("no.dxf"));
        FormDxf->Command("Salvadxf1")->trigger();
        DialogSeam::ClearPresets();
        ASSERT_EQ(DialogSeam::Messages().size(), 1) << named;
        EXPECT_TRUE(DialogSeam::Messages()[0].contains(named)) << named;
    }
    EXPECT_EQ(Files(), QStringList{"virgola.dxf"});
}

TEST_F(ExportRun, SalvaWritesTheCleanBitmapAndTheReportOfEitherMethod) {
    ShowRectified(3, 2);
    const QRgb pixels[6] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF, 0xFF000000, 0xFF123456};
    for (int k = 0; k < 6; ++k) CleanRectified.setPixel(k % 3, k / 3, pixels[k]);
    const QImage marked = shown_->Picture();  // all grey: stands for the marks

    // Cancelled, or left at the initial ".bmp": nothing written, marks kept.
    DialogSeam::PresetCancel();
    main_->Action("Salva4")->trigger();
    DialogSeam::PresetFileName(".bmp");
    main_->Action("Salva4")->trigger();
    EXPECT_TRUE(Files().isEmpty());
    EXPECT_EQ(shown_->Picture(), marked);

    Analytic("150.000", "230.000", "155.000", "226.000", "0.010");
    FormScala->Label6->setText("500 x 400");
    FormScala->Label7->setText("12.700 x 10.160");
    FormScala->Edit2->setText("254");
    DialogSeam::PresetFileName(PathOf("facciata.bmp"));
    main_->Action("Salva4")->trigger();
    EXPECT_EQ(Read("facciata.bmp"), Golden("rectified_3x2.bmp"));
    const QByteArray report = Read("facciata.txt");
    EXPECT_TRUE(
        report.startsWith("Dati immagine raddrizzata:  " + PathOf("facciata.bmp").toUtf8()));
    EXPECT_EQ(AfterFirstLine(report), AfterFirstLine(Golden("report_analytic.txt")));
    EXPECT_EQ(shown_->Picture(), CleanRectified);  // the marks are gone

    main_->rb_geom->SetChecked(true);
    main_->Edit5->setText("5.000");
    main_->Edit6->setText("2.000");
    FormRapporto->Label9->setText("500 x 200");
    FormRapporto->Label11->setText("5.000 x 2.000");
    FormRapporto->Edit7->setText("254.000");
    FormRapporto->Edit6->setText("0.01");
    DialogSeam::PresetFileName(PathOf("parete.bmp"));
    main_->Action("Salva4")->trigger();
    EXPECT_EQ(AfterFirstLine(Read("parete.txt")), AfterFirstLine(Golden("report_geometric.txt")));
    EXPECT_TRUE(DialogSeam::Messages().isEmpty());
}

// The dialog's file type chooses the format and completes a bare name; a
// GeoTIFF takes its placement from the georeferencing window, proposing it
// when empty, and a bad EPSG code stops the save with a message.
TEST_F(ExportRun, SalvaWritesTheFormatOfTheChosenFileType) {
    ShowRectified(3, 2);
    Analytic("150.000", "230.000", "155.000", "226.000", "0.010");
    const QByteArray signatures[] = {"BM", "\x89PNG", "II*"};
    for (int filter = 1; filter <= 4; ++filter) {
        const QString base = QString("foto%1").arg(filter);
        DialogSeam::PresetFileName(PathOf(base), filter);
        main_->Action("Salva4")->trigger();
        const QString name = base + (filter == 1 ? ".bmp" : filter == 2 ? ".png" : ".tif");
        EXPECT_TRUE(Read(name).startsWith(signatures[std::min(filter, 3) - 1])) << filter;
        EXPECT_TRUE(
            Read(base + ".txt").startsWith("Dati immagine raddrizzata:  " + PathOf(name).toUtf8()));
    }
    EXPECT_EQ(FormGeoreferenzia->Edit5->text(), "150.000");  // proposed for the GeoTIFF
    EXPECT_NE(Read("foto4.tif"), Read("foto3.tif"));         // the tags
    EXPECT_TRUE(DialogSeam::Messages().isEmpty());

    FormGeoreferenzia->Edit7->setText("EPSG:3003");
    DialogSeam::PresetFileName(PathOf("rifiutata.tif"), 4);
    main_->Action("Salva4")->trigger();
    ASSERT_EQ(DialogSeam::Messages().size(), 1);
    EXPECT_TRUE(DialogSeam::Messages().first().contains("codice EPSG"));
    EXPECT_FALSE(Files().contains("rifiutata.tif"));
    EXPECT_FALSE(Files().contains("rifiutata.txt"));
}

// Each save aimed at a name that is a folder: the message names the file,
// and no file, whole or partial, is left beside it.
TEST_F(ExportRun, FailedWritesShowAMessageNamingTheFileAndLeaveNothing) {
    ShowRectified(3, 2);
    shown_->Picture().setPixel(0, 0, 0xFFFF0000);  // a mark
    FormTabPtiDxf->StringGrid1->SetCells(0, 1, "1");
    FormTabPtiDxf->StringGrid1->SetCells(1, 1, "1.0");
    FormTabPtiDxf->StringGrid1->SetCells(2, 1, "2.0");
    Analytic("150.000", "230.000", "155.000", "226.000", "0.010");
    main_->Action("Georeferenzia2")->trigger();
    struct Case {
        const char* target;
        std::function<void()> save;
    };
    const Case cases[] = {
        {"geo.tfw", [] { FormGeoreferenzia->Command("Salvafilegeo1")->trigger(); }},
        {"disegno.dxf", [] { FormDxf->Command("Salvadxf1")->trigger(); }},
        {"foto.txt", [this] { main_->Action("Salva4")->trigger(); }},  // the report comes first
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(QDir(dir_.path()).mkdir(c.target));
        DialogSeam::Messages().clear();
        QString chosen = PathOf(c.target);
        if (chosen.endsWith(".txt")) chosen.replace(".txt", ".bmp");
        DialogSeam::PresetFileName(chosen);
        c.save();
        ASSERT_EQ(DialogSeam::Messages().size(), 1) << c.target;
        EXPECT_TRUE(DialogSeam::Messages().first().contains(PathOf(c.target))) << c.target;
        EXPECT_EQ(Files().size(), 1) << c.target << Files().join(",").toStdString();
        ASSERT_TRUE(QDir(PathOf(c.target)).removeRecursively());
    }
    EXPECT_NE(shown_->Picture(), CleanRectified);  // nothing saved: the mark stays
}
