// The whole analytic road on the sample facade, as a surveyor walks it: the
// targets collimated by presses, their object coordinates loaded, the
// estimation, the area by four presses, 0.01 m a pixel, a rectification by
// each interpolation (closing the rectified window in between), coordinates
// and a distance read on the rectified picture, and every export: the
// bitmap with its report, the world file and a DXF of three picked targets.
#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <array>
#include <chrono>
#include <vector>

#include "analytic/u_tabres.h"
#include "app/u_avviso.h"
#include "export/U_tabptidxf.h"
#include "export/u_dxf.h"
#include "export/u_georeferenzia.h"
#include "rectify/u_corretta.h"
#include "rectify/u_scala.h"
#include "tables/u_omnia.h"
#include "tables/u_stringhe.h"
#include "tables/u_tabfot.h"
#include "tables/u_tabimm.h"
#include "tests/e2e/facade_road.h"
#include "tests/gui_fixture.h"
#include "view/u_immagine.h"
#include "view/u_limiti.h"

namespace {

constexpr long double kPixel = 0.01;  // metres, as typed
long double Real(const QString& text) { return TextToReal(text.toStdString()); }

const FacadeTarget& Target(const std::string& name) {
    for (const FacadeTarget& t : FacadeTargets())
        if (t.name == name) return t;
    throw std::logic_error(name);
}

class FacadeRoad : public VekRun {
protected:
    void SetUp() override {
        VekRun::SetUp();
        SetDxfPointPause(std::chrono::milliseconds(1));
        ASSERT_TRUE(dir_.isValid());
    }
    void TearDown() override {
        SetDxfPointPause(std::chrono::milliseconds(100));
        VekRun::TearDown();
    }
    QByteArray Read(const char* name) const {
        QFile f(dir_.filePath(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    static TFormCorretta* Rectified() { return qobject_cast<TFormCorretta*>(RectifiedWindow); }
    static QWidget* RectifiedPicture() { return Rectified()->Image1; }
    // The rectified picture's pixel of an object point: X = Xin + c s, Y = Yin - r s.
    static QPoint OnRectified(long double X, long double Y) {
        return {int(std::lround(double((X - Xin()) / kPixel))),
                int(std::lround(double((Yin() - Y) / kPixel)))};
    }
    static long double Xin() { return Real(FormLimiti->Edit1->text()); }
    static long double Yin() { return Real(FormLimiti->Edit2->text()); }
    // The readout of the main window's status bar with the pointer over p.
    PlanePoint ReadoutAt(QPoint p) {
        MoveTo(RectifiedPicture(), p);
        return {Real(Panel(0)), Real(Panel(1))};
    }

    void CollimateAndEstimate();
    void ChooseAreaAndPixel();
    void RectifyBy(const char* interpolation);
    void RectifyByEachInterpolation();
    void ReadAndMeasure();
    void SaveBitmapAndReport();
    void SaveWorldFile();
    void PickAndWriteDxf();

    QTemporaryDir dir_;
};

void FacadeRoad::CollimateAndEstimate() {
    ChooseAnalytic();
    OpenAndCollimateTargets(main_);
    ASSERT_TRUE(ImageWindow);
    DialogSeam::PresetFileName(Sample("facciata.ogg"));
    main_->Action("Carica5")->trigger();
    FormTabFot->Command("Creafilefot1")->trigger();
    ASSERT_TRUE(main_->cb_fot->Checked());
    main_->Action("Residui2")->trigger();
    FormTabRes->Command("calcolaparametriinversi1")->trigger();
    ASSERT_TRUE(DialogSeam::Messages().isEmpty());
    // Object to image. The presses are whole pixels, up to half a pixel off
    // the true centres: the fit's σ0 stays under half a pixel, and so does
    // the distance of every computed position from the true one.
    EXPECT_LT(std::sqrt(double(Real(FormTabRes->Edit1->text()))), 0.5);
    const StringGrid& res = *FormTabRes->StringGrid1;
    ASSERT_EQ(CountPoints(res), TargetCount);
    for (int row = 1; row <= TargetCount; ++row) {
        const FacadeTarget& t = Target(res.Cells(0, row).toStdString());
        const PlanePoint truth = *ObjectToImage(t.X, t.Y);
        EXPECT_NEAR(double(Real(res.Cells(1, row))), double(truth.x), 0.5) << t.name;
        EXPECT_NEAR(double(Real(res.Cells(2, row))), double(truth.y), 0.5) << t.name;
    }
}

// Closes the rectified window first, when one is open, as a new
// rectification demands: "Chiudi" of the rectified image and the notice's
// "Chiudi corretta".
void FacadeRoad::RectifyBy(const char* interpolation) {
    if (RectifiedWindow) {
        main_->Action("Chiudi2")->trigger();
        FormAvviso->Chiudicorretta1->trigger();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        ASSERT_EQ(RectifiedWindow, nullptr);
    }
    main_->Action(interpolation)->trigger();
    FormScala->Command("Vek1")->trigger();
    ASSERT_TRUE(DialogSeam::Messages().isEmpty())
        << DialogSeam::Messages().join("\n").toStdString();
    ASSERT_TRUE(Rectified());
}

// The area by four presses near the facade points (1, 1) .. (19, 11), and
// 0.01 m a pixel typed in the scale dialog.
void FacadeRoad::ChooseAreaAndPixel() {
    main_->Action("Selezionaarearicampionamento1")->trigger();
    for (const auto& [X, Y] : std::array<PlanePoint, 4>{{{1, 1}, {19, 1}, {19, 11}, {1, 11}}})
        Click(Seen(X, Y));
    ASSERT_TRUE(main_->cb_area->Checked());
    EXPECT_NEAR(double(Xin()), 1, 0.02);
    EXPECT_NEAR(double(Yin()), 11, 0.02);
    main_->Action("Vek2")->trigger();
    ASSERT_TRUE(FormScala->isVisible());
    QApplication::setActiveWindow(FormScala);
    FormScala->Edit1->setFocus();
    QTest::keyClicks(FormScala->Edit1, "0.01");
}

// Each interpolation gives the facade's texture, and they differ. Away from
// the edges the error is mostly the photograph's own noise (rounding,
// compression), which bilinear smooths best: bicubic comes between nearest
// and bilinear there.
void FacadeRoad::RectifyByEachInterpolation() {
    const PixelToObject objectOf = [](int c, int r, long double& X, long double& Y) {
        X = Xin() + c * kPixel;
        Y = Yin() - r * kPixel;
        return true;
    };
    std::vector<QImage> pictures;
    std::vector<std::array<double, 3>> errors;
    for (const char* interpolation : {"Lineare2", "bilineare2", "bicubica2"}) {
        ASSERT_NO_FATAL_FAILURE(RectifyBy(interpolation));
        const QImage& out = Rectified()->Image1->Picture();
        // 18 m by 10 m, give or take the pressed corners' rounding.
        EXPECT_EQ(FormScala->Label6->text(), QString("%1 x %2").arg(out.width()).arg(out.height()));
        EXPECT_NEAR(out.width(), 1800, 2);
        EXPECT_NEAR(out.height(), 1000, 2);
        long compared = 0;
        errors.push_back(TextureError(out, objectOf, 0.04L, 2, compared));
        for (double e : errors.back()) EXPECT_LT(e, 6.0) << interpolation;
        EXPECT_GT(compared, out.width() * out.height() / 4 / 2);
        pictures.push_back(out);
    }
    EXPECT_NE(pictures[0], pictures[1]);
    EXPECT_NE(pictures[2], pictures[1]);
    for (int ch = 0; ch < 3; ++ch) EXPECT_LT(errors[2][ch], errors[0][ch]) << "channel " << ch;
}

// The readout over target 8 is its object point, and the distance from
// target 11 to target 5 is within 1 % of the true one.
void FacadeRoad::ReadAndMeasure() {
    const FacadeTarget &t8 = Target("8"), &t11 = Target("11"), &t5 = Target("5");
    const PlanePoint at8 = ReadoutAt(OnRectified(t8.X, t8.Y));
    EXPECT_NEAR(double(at8.x), double(t8.X), 0.01);
    EXPECT_NEAR(double(at8.y), double(t8.Y), 0.01);
    main_->Action("Calcoladistanza2")->trigger();
    Click(RectifiedPicture(), OnRectified(t11.X, t11.Y));
    Click(RectifiedPicture(), OnRectified(t5.X, t5.Y));
    ASSERT_TRUE(Panel(6).startsWith("distanza: "));
    const double truth = std::hypot(double(t11.X - t5.X), double(t11.Y - t5.Y));
    EXPECT_NEAR(double(Real(Panel(6).mid(10))) / truth, 1, 0.01);
}

// The bitmap is the rectified picture; the report names its corners and size.
void FacadeRoad::SaveBitmapAndReport() {
    DialogSeam::PresetFileName(dir_.filePath("facciata_ric.bmp"));
    main_->Action("Salva4")->trigger();
    QImage saved;
    ASSERT_TRUE(saved.load(dir_.filePath("facciata_ric.bmp")));
    EXPECT_EQ(saved.convertToFormat(QImage::Format_RGB32),
              CleanRectified.convertToFormat(QImage::Format_RGB32));
    const QList<QByteArray> report = Read("facciata_ric.txt").split('\n');
    ASSERT_EQ(report.size(), 9);
    const QByteArray corner =
        (FormLimiti->Edit1->text() + " ; " + FormLimiti->Edit2->text()).toLatin1();
    EXPECT_EQ(report[1].trimmed(), "coordinate spigolo alto sinistro:  " + corner);
    EXPECT_EQ(report[5].trimmed(),
              "dimensione immagine raddrizzata (pixel):  " + FormScala->Label6->text().toLatin1());
    EXPECT_EQ(report[8], "dimensione pixel (m):  0.01");
}

// The pixel steps and the upper-left pixel as the readout shows them.
void FacadeRoad::SaveWorldFile() {
    main_->Action("Georeferenzia2")->trigger();
    DialogSeam::PresetFileName(dir_.filePath("facciata_ric"));
    FormGeoreferenzia->Command("Salvafilegeo1")->trigger();
    const QList<QByteArray> world = Read("facciata_ric.bpw").split('\n');
    ASSERT_EQ(world.size(), 6);
    const PlanePoint origin = ReadoutAt({0, 0}), right = ReadoutAt({1, 0}),
                     down = ReadoutAt({0, 1});
    const long double expected[6] = {right.x - origin.x, 0,        0,
                                     down.y - origin.y,  origin.x, origin.y};
    for (int k = 0; k < 6; ++k)
        EXPECT_NEAR(double(Real(QString(world[k].trimmed()))), double(expected[k]), 1e-9) << k + 1;
}

// Three targets picked on the rectified picture, marked there, and written
// as the DXF's points and labels.
void FacadeRoad::PickAndWriteDxf() {
    main_->Action("Disegnapunti1")->trigger();
    FormTabPtiDxf->Command("Iniziacollimazione1")->trigger();
    const std::array<std::string, 3> picked = {"2", "9", "12"};
    for (const std::string& name : picked) {
        Click(RectifiedPicture(), OnRectified(Target(name).X, Target(name).Y));
        FormTabPtiDxf->Edit1->setText(QString::fromStdString(name));
        FormTabPtiDxf->Command("Registrapunto1")->trigger();
    }
    const StringGrid& g = *FormTabPtiDxf->StringGrid1;
    ASSERT_EQ(CountPoints(g), 3);
    main_->Action("Creadxf1")->trigger();
    DialogSeam::PresetFileName(dir_.filePath("facciata.dxf"));
    FormDxf->Command("Salvadxf1")->trigger();
    const QByteArray dxf = Read("facciata.dxf");
    EXPECT_EQ(dxf.count("POINT"), 3);
    const QImage& marked = Rectified()->Image1->Picture();
    const QRgb mark = FormTabPtiDxf->ColorDialog1.Color.rgb();
    for (int row = 1; row <= 3; ++row) {
        const FacadeTarget& t = Target(picked[row - 1]);
        const QPoint at = OnRectified(t.X, t.Y);
        EXPECT_EQ(marked.pixel(at.x() - 8, at.y()), mark) << t.name;  // a cross
        EXPECT_EQ(g.Cells(0, row).toStdString(), t.name);
        EXPECT_NEAR(double(Real(g.Cells(1, row))), double(t.X), 0.01);
        EXPECT_NEAR(double(Real(g.Cells(2, row))), double(t.Y), 0.01);
        for (int c : {1, 2}) {
            const QByteArray v =
                QByteArray::fromStdString(FormatFixed(Real(g.Cells(c, row)), 14, 6));
            EXPECT_TRUE(dxf.contains(QByteArray(c == 1 ? " 10" : " 20") + "\r\n" +
                                     v.rightJustified(14) + "\r\n"))
                << v.toStdString();
        }
        EXPECT_TRUE(dxf.contains("  1\r\n" + QByteArray::fromStdString(t.name) + "\r\n"));
    }
}

}  // namespace

TEST_F(FacadeRoad, FromPhotographToRectifiedPictureAndItsFiles) {
    ASSERT_NO_FATAL_FAILURE(CollimateAndEstimate());
    ASSERT_NO_FATAL_FAILURE(ChooseAreaAndPixel());
    ASSERT_NO_FATAL_FAILURE(RectifyByEachInterpolation());
    ReadAndMeasure();
    SaveBitmapAndReport();
    SaveWorldFile();
    PickAndWriteDxf();
    EXPECT_TRUE(DialogSeam::Messages().isEmpty())
        << DialogSeam::Messages().join("\n").toStdString();
}
