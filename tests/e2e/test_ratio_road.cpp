// The whole geometric road on the sample photograph, as a user clicks it:
// the facade's edges as lines, the vanishing points and parameters, the area,
// the facade's base and left side measured as its known width and height, a
// pixel size, the rectification and the save. The rectified picture is
// compared with the true facade texture, its pixel size with the one chosen,
// and the saved bitmap and report with what the windows show.
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include "analytic/u_tabrpar.h"
#include "app/u_avviso.h"
#include "app/u_forms.h"
#include "geometric/u_geom.h"
#include "platform/dialogs.h"
#include "rectify/u_corretta.h"
#include "rectify/u_rapporto.h"
#include "tables/u_stringhe.h"
#include "tests/e2e/facade_road.h"
#include "tests/gui_fixture.h"
#include "view/u_immagine.h"
#include "view/u_limiti.h"

namespace {

void Segment(PlanePoint from, PlanePoint to) {
    Click(Seen(from.x, from.y));
    Click(Seen(to.x, to.y));
}

const FacadeEdge& Edge(const std::string& name) {
    for (const FacadeEdge& e : FacadeEdges())
        if (e.name == name) return e;
    throw std::logic_error(name);
}

long double RealOf(const QLineEdit* e) { return TextToReal(e->text().toStdString()); }

// What a rectification leaves for the user to see.
struct GeometricResult {
    QStringList parameters, area;
    QImage picture;
};

// The README's road with every horizontal edge clicked right to left
// and/or every vertical one top down; the area and the measures as there.
GeometricResult RectifyWithEdgesClicked(bool rightToLeft, bool downwards) {
    if (RectifiedWindow) {
        FormPrincipale->Action("Chiudi2")->trigger();
        FormAvviso->Chiudicorretta1->trigger();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    auto enter = [](const char* name, bool reversed) {
        const FacadeEdge& e = Edge(name);
        reversed ? Segment(e.to, e.from) : Segment(e.from, e.to);
    };
    FormGeom->Command("Retteorizzontali1")->trigger();
    for (const char* name : {"o2", "o1", "o3"}) enter(name, rightToLeft);
    FormGeom->Command("Rettevertivali1")->trigger();
    for (const char* name : {"v2", "v1", "v3"}) enter(name, downwards);
    FormGeom->Command("Calcolopuntidifuga1")->trigger();
    FormGeom->Command("Calcoloparametri1")->trigger();
    if (!FormPrincipale->cb_area->Checked()) {
        FormPrincipale->Action("Selezionaarearicampionamento1")->trigger();
        for (PlanePoint c :
             {PlanePoint{1, 1}, PlanePoint{19, 1}, PlanePoint{19, 11}, PlanePoint{1, 11}})
            Click(Seen(c.x, c.y));
    }
    FormPrincipale->Action("Vek2")->trigger();
    FormRapporto->Edit1->setText("20");
    FormRapporto->Edit3->setText("12");
    FormRapporto->Command("Misuralarghezza1")->trigger();
    Segment({0, 0}, {FacadeWidth, 0});
    FormRapporto->Command("Misuraaltezza1")->trigger();
    Segment({0, 0}, {0, FacadeHeight});
    QApplication::setActiveWindow(FormRapporto);
    FormRapporto->Edit6->setFocus();
    FormRapporto->Edit6->clear();
    QTest::keyClicks(FormRapporto->Edit6, "0.02");
    FormRapporto->Command("Vek1")->trigger();
    GeometricResult r;
    for (int i = 1; i <= 8; ++i) r.parameters << FormTabPar->StringGrid1->Cells(1, i);
    for (const QLineEdit* e :
         {FormLimiti->Edit1, FormLimiti->Edit2, FormLimiti->Edit3, FormLimiti->Edit4})
        r.area << e->text();
    if (auto* w = qobject_cast<TFormCorretta*>(RectifiedWindow)) r.picture = w->Image1->Picture();
    return r;
}

}  // namespace

using RatioRoad = VekRun;

TEST_F(RatioRoad, FacadeRectifiedAtTheChosenPixelSize) {
    constexpr long double kPixel = 0.02;  // metres
    ChooseGeometric();
    DialogSeam::PresetFileName(Sample("facciata.jpg"));
    main_->Action("Apri1")->trigger();
    ASSERT_TRUE(ImageWindow);
    main_->Action("Individuarette2")->trigger();
    RectifyWithEdgesClicked(false, false);
    ASSERT_EQ(FormRapporto->Edit7->text(), "127.000");
    auto* window = qobject_cast<TFormCorretta*>(RectifiedWindow);
    ASSERT_TRUE(window);
    const QImage& picture = window->Image1->Picture();
    EXPECT_EQ(FormRapporto->Label9->text(),
              QString("%1 x %2").arg(picture.width()).arg(picture.height()));

    // The reference plane is the facade's own up to an offset and a scale per
    // axis: its origin is where the plinth's top meets the left side, X = 10
    // at the plinth's right end, Y = 10 at the top of the left side.
    const long double X0 = Edge("v1").from.x, Y0 = Edge("o1").from.y;
    const long double unitX = (Edge("o1").to.x - X0) / 10, unitY = (Edge("v1").to.y - Y0) / 10;
    const long double fx = RealOf(FormRapporto->Edit5), fy = RealOf(FormRapporto->Edit8);
    // Metres of facade per output pixel along each axis.
    const long double pixelX = kPixel / fx * unitX, pixelY = kPixel / fy * unitY;
    EXPECT_NEAR(double(pixelX / kPixel), 1, 0.01);
    EXPECT_NEAR(double(pixelY / kPixel), 1, 0.01);

    const long double Xin = RealOf(FormLimiti->Edit1), Yin = RealOf(FormLimiti->Edit2);
    const PixelToObject objectOf = [&](int c, int r, long double& X, long double& Y) {
        X = X0 + Xin * unitX + c * pixelX;
        Y = Y0 + Yin * unitY - r * pixelY;
        return X >= 0 && X <= FacadeWidth && Y >= 0 && Y <= FacadeHeight;
    };
    long compared = 0;
    for (double e : TextureError(picture, objectOf, 0.1L, 1, compared)) EXPECT_LT(e, 6);
    EXPECT_GT(compared, picture.width() * picture.height() / 2);

    // Saved: the bitmap is the rectified picture, and the report's upper-left
    // corner, size and pixel are those the windows show.
    QTemporaryDir dir;
    DialogSeam::PresetFileName(dir.filePath("facciata_geo.bmp"));
    main_->Action("Salva4")->trigger();
    QImage saved;
    ASSERT_TRUE(saved.load(dir.filePath("facciata_geo.bmp")));
    EXPECT_EQ(saved.convertToFormat(QImage::Format_RGB32),
              CleanRectified.convertToFormat(QImage::Format_RGB32));
    QFile file(dir.filePath("facciata_geo.txt"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> report = file.readAll().split('\n');
    ASSERT_GE(report.size(), 9);
    window->Image1MouseMove(Qt::NoButton, 0, 0);
    EXPECT_EQ(report[1].trimmed(),
              "coordinate spigolo alto sinistro:  " + (Panel(0) + " ; " + Panel(1)).toLatin1());
    EXPECT_EQ(report[5].trimmed(), "dimensione immagine raddrizzata (pixel):  " +
                                       FormRapporto->Label9->text().toLatin1());
    EXPECT_EQ(report[8].trimmed(), "dimensione pixel (m):  0.02");
    EXPECT_TRUE(DialogSeam::Messages().isEmpty())
        << DialogSeam::Messages().join("\n").toStdString();
}

TEST_F(RatioRoad, EitherClickOrderOfTheEdgesGivesTheSameResult) {
    ChooseGeometric();
    DialogSeam::PresetFileName(Sample("facciata.jpg"));
    main_->Action("Apri1")->trigger();
    ASSERT_TRUE(ImageWindow);
    main_->Action("Individuarette2")->trigger();
    const GeometricResult asShown = RectifyWithEdgesClicked(false, false);
    ASSERT_FALSE(asShown.picture.isNull());
    for (const auto& [rightToLeft, downwards] :
         {std::pair{true, false}, {false, true}, {true, true}}) {
        const GeometricResult r = RectifyWithEdgesClicked(rightToLeft, downwards);
        EXPECT_EQ(r.parameters, asShown.parameters) << rightToLeft << downwards;
        EXPECT_EQ(r.area, asShown.area) << rightToLeft << downwards;
        ASSERT_EQ(r.picture.size(), asShown.picture.size());
        int worst = 0;
        for (int y = 0; y < r.picture.height(); ++y)
            for (int x = 0; x < r.picture.width(); ++x) {
                const QRgb a = r.picture.pixel(x, y), b = asShown.picture.pixel(x, y);
                worst = std::max({worst, std::abs(qRed(a) - qRed(b)),
                                  std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b))});
            }
        EXPECT_LE(worst, 1) << rightToLeft << downwards;
    }
    EXPECT_TRUE(DialogSeam::Messages().isEmpty())
        << DialogSeam::Messages().join("\n").toStdString();
}
