// The whole geometric road on the sample photograph, as a user clicks it:
// the facade's edges as lines, the vanishing points and parameters, the area,
// the facade's base and left side measured as its known width and height, a
// pixel size, and the rectification. The rectified picture is compared with
// the true facade texture and its pixel size with the one chosen.
#include <QAction>
#include <QApplication>
#include <QTest>
#include <cmath>

#include "app/u_forms.h"
#include "geometric/u_geom.h"
#include "platform/dialogs.h"
#include "rectify/u_corretta.h"
#include "rectify/u_rapporto.h"
#include "samples/facade.h"
#include "tables/u_stringhe.h"
#include "tests/gui_fixture.h"
#include "view/u_immagine.h"
#include "view/u_limiti.h"

namespace {

// The photograph's pixel nearest to an object point, as a user clicks it.
QPoint Pixel(long double X, long double Y) {
    const std::optional<PlanePoint> p = ObjectToImage(X, Y);
    return p ? QPoint(int(std::lround(double(p->x))), int(std::lround(double(p->y)))) : QPoint();
}

void Click(QPoint p) {
    QWidget* image = ImageWindow->Image1;
    QTest::mouseMove(image, p);
    QTest::mousePress(image, Qt::LeftButton, {}, p);
    QTest::mouseRelease(image, Qt::LeftButton, {}, p);
}

void Segment(PlanePoint from, PlanePoint to) {
    Click(Pixel(from.x, from.y));
    Click(Pixel(to.x, to.y));
}

const FacadeEdge& Edge(const std::string& name) {
    for (const FacadeEdge& e : FacadeEdges())
        if (e.name == name) return e;
    throw std::logic_error(name);
}

long double RealOf(const QLineEdit* e) { return TextToReal(e->text().toStdString()); }

}  // namespace

using RatioRoad = VekRun;

TEST_F(RatioRoad, FacadeRectifiedAtTheChosenPixelSize) {
    constexpr long double kPixel = 0.02;  // metres
    ChooseGeometric();
    DialogSeam::PresetFileName(QString(VEK_SAMPLES_DIR) + "/facciata.jpg");
    main_->Action("Apri1")->trigger();
    ASSERT_TRUE(ImageWindow);

    main_->Action("Individuarette2")->trigger();
    FormGeom->Command("Retteorizzontali1")->trigger();
    for (const char* name : {"o2", "o1", "o3"}) Segment(Edge(name).from, Edge(name).to);
    FormGeom->Command("Rettevertivali1")->trigger();
    for (const char* name : {"v2", "v1", "v3"}) Segment(Edge(name).from, Edge(name).to);
    FormGeom->Command("Calcolopuntidifuga1")->trigger();
    FormGeom->Command("Calcoloparametri1")->trigger();
    ASSERT_TRUE(main_->cb_fot->Checked());

    main_->Action("Selezionaarearicampionamento1")->trigger();
    for (PlanePoint corner :
         {PlanePoint{1, 1}, PlanePoint{19, 1}, PlanePoint{19, 11}, PlanePoint{1, 11}})
        Click(Pixel(corner.x, corner.y));
    ASSERT_TRUE(main_->cb_area->Checked());
    main_->Action("Vek2")->trigger();
    ASSERT_TRUE(FormRapporto->isVisible());

    FormRapporto->Edit1->setText("20");
    FormRapporto->Edit3->setText("12");
    FormRapporto->Command("Misuralarghezza1")->trigger();
    Segment({0, 0}, {FacadeWidth, 0});
    FormRapporto->Command("Misuraaltezza1")->trigger();
    Segment({0, 0}, {0, FacadeHeight});
    ASSERT_FALSE(FormRapporto->Edit8->text().isEmpty());

    QApplication::setActiveWindow(FormRapporto);
    FormRapporto->Edit6->setFocus();
    QTest::keyClicks(FormRapporto->Edit6, "0.02");
    ASSERT_EQ(FormRapporto->Edit7->text(), "127.000");
    FormRapporto->Command("Vek1")->trigger();
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
    double error[3] = {0, 0, 0};
    long long compared = 0;
    for (int r = 0; r < picture.height(); ++r) {
        for (int c = 0; c < picture.width(); ++c) {
            const long double X = X0 + Xin * unitX + c * pixelX;
            const long double Y = Y0 + Yin * unitY - r * pixelY;
            if (X < 0 || X > FacadeWidth || Y < 0 || Y > FacadeHeight) continue;
            if (NearTextureEdge(X, Y, 0.1)) continue;
            const Rgb truth = FacadeColor(X, Y);
            const QRgb got = picture.pixel(c, r);
            error[0] += std::fabs(qRed(got) - truth.r);
            error[1] += std::fabs(qGreen(got) - truth.g);
            error[2] += std::fabs(qBlue(got) - truth.b);
            ++compared;
        }
    }
    ASSERT_GT(compared, picture.width() * picture.height() / 2);
    for (double e : error) EXPECT_LT(e / compared, 6);
}
