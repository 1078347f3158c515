// The command-line rectifier against the windows: the sample facade's tables,
// the same area, pixel size and interpolation give the same picture, report
// and world file, byte for byte, in each format.
#include <QFile>
#include <QTemporaryDir>
#include <sstream>

#include "analytic/u_tabres.h"
#include "export/u_georeferenzia.h"
#include "rectify/u_scala.h"
#include "tables/u_tabfot.h"
#include "tests/e2e/facade_road.h"
#include "tests/gui_fixture.h"
#include "tools/u_rettifica.h"
#include "view/u_limiti.h"

namespace {

class RettificaRoad : public VekRun {
protected:
    QByteArray Read(const QString& path) const {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    // The analytic road in the windows up to a rectification of the area
    // 1, 11 .. 19, 1 at 0.01 m a pixel by bilinear interpolation.
    void RectifyInTheWindows() {
        ChooseAnalytic();
        DialogSeam::PresetFileName(Sample("facciata.jpg"));
        main_->Action("Apri1")->trigger();
        DialogSeam::PresetFileName(Sample("facciata.imm"));
        main_->Action("Carica4")->trigger();
        DialogSeam::PresetFileName(Sample("facciata.ogg"));
        main_->Action("Carica5")->trigger();
        FormTabFot->Command("Creafilefot1")->trigger();
        main_->Action("Residui2")->trigger();
        FormTabRes->Command("calcolaparametriinversi1")->trigger();
        const char* area[4] = {"1.000", "11.000", "19.000", "1.000"};
        QLineEdit* fields[4] = {FormLimiti->Edit1, FormLimiti->Edit2, FormLimiti->Edit3,
                                FormLimiti->Edit4};
        for (int i = 0; i < 4; ++i) fields[i]->setText(area[i]);
        main_->cb_area->SetChecked(true);
        main_->Action("Vek2")->trigger();
        QApplication::setActiveWindow(FormScala);
        FormScala->Edit1->setFocus();
        QTest::keyClicks(FormScala->Edit1, "0.01");
        main_->Action("bilineare2")->trigger();
        FormScala->Command("Vek1")->trigger();
        FormGeoreferenzia->Edit7->setText("32632");
    }
    QTemporaryDir dir_;
};

TEST_F(RettificaRoad, SameFilesAsTheWindowsInEachFormat) {
    ASSERT_NO_FATAL_FAILURE(RectifyInTheWindows());
    ASSERT_TRUE(RectifiedWindow);
    ASSERT_TRUE(DialogSeam::Messages().isEmpty())
        << DialogSeam::Messages().join("\n").toStdString();
    struct Case {
        const char* picture;
        int filter;  // of the picture save dialog
        const char* world;
    };
    for (const Case& c : {Case{"ric.bmp", 1, "ric.bpw"}, Case{"ric.png", 2, "ric.pgw"},
                          Case{"ric.tif", 4, "ric.tfw"}}) {
        SCOPED_TRACE(c.picture);
        const QString picture = dir_.filePath(c.picture), world = dir_.filePath(c.world),
                      report = dir_.filePath("ric.txt");
        DialogSeam::PresetFileName(picture, c.filter);
        main_->Action("Salva4")->trigger();
        main_->Action("Georeferenzia2")->trigger();
        DialogSeam::PresetFileName(world);
        FormGeoreferenzia->Command("Salvafilegeo1")->trigger();
        const QByteArray windows[3] = {Read(picture), Read(report), Read(world)};
        for (const QString& f : {picture, report, world}) ASSERT_TRUE(QFile::remove(f));

        std::vector<std::string> args = {"--foto",
                                         Sample("facciata.jpg").toStdString(),
                                         "--immagine",
                                         Sample("facciata.imm").toStdString(),
                                         "--oggetto",
                                         Sample("facciata.ogg").toStdString(),
                                         "--area",
                                         "1",
                                         "11",
                                         "19",
                                         "1",
                                         "--pixel",
                                         "0,01",
                                         "-o",
                                         picture.toStdString()};
        if (c.filter == 4) args.insert(args.end(), {"--epsg", "32632"});
        std::ostringstream out, err;
        ASSERT_EQ(RunRettifica(args, out, err), kRettificaOk) << err.str();
        EXPECT_NE(out.str().find("dimensione immagine raddrizzata (pixel): "), std::string::npos);
        EXPECT_FALSE(windows[0].isEmpty());
        EXPECT_TRUE(Read(picture) == windows[0]);
        EXPECT_EQ(Read(report), windows[1]);
        EXPECT_EQ(Read(world), windows[2]);
    }
    EXPECT_TRUE(DialogSeam::Messages().isEmpty())
        << DialogSeam::Messages().join("\n").toStdString();
}

}  // namespace
