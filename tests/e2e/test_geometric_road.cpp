// The geometric road on a rendered perspective view of a chequered facade:
// lines clicked on its edges, the vanishing points, the parameters, and the
// reference plane checked against the true plane of the facade.
#include <QApplication>
#include <QPainter>
#include <QPolygonF>

#include "analytic/u_tabrpar.h"
#include "geometric/u_geometrico.h"
#include "platform/rasterimage.h"
#include "rectify/u_corretta.h"
#include "rectify/u_rapporto.h"
#include "rectify/u_ricampiona.h"
#include "tables/u_stringhe.h"
#include "tests/geometric/geom_fixture.h"
#include "view/u_limiti.h"

namespace {

// The facade plane (X right, Y up, one unit a chequer of four squares) as
// the camera saw it: homogeneous image point = X*a*(Vh, 1) + Y*b*(Vv, 1) +
// (C, 1), with the two vanishing points and the corner C on whole pixels.
struct Facade {
    const double vh[2] = {4100, 200}, vv[2] = {340, -3000}, c[2] = {100, 600};
    const double a = 1.0 / 9, b = 1.0 / 11;
    // Reference plane -> image when the reference square is one facade unit.
    Projective Direct() const {
        return {{a * vh[0] / 10, a * vh[1] / 10, b * vv[0] / 10, b * vv[1] / 10, c[0], c[1], a / 10,
                 b / 10}};
    }
    QPointF Image(double X, double Y) const {
        const double w = a * X + b * Y + 1;
        return {(a * X * vh[0] + b * Y * vv[0] + c[0]) / w,
                (a * X * vh[1] + b * Y * vv[1] + c[1]) / w};
    }
};

long double RealOf(const QLineEdit* e) { return TextToReal(e->text().toStdString()); }

// The facade in two chequer colours against the sky.
QImage Render(const Facade& f) {
    QImage img(640, 640, QImage::Format_RGB32);
    img.fill(QColor(150, 190, 230));
    QPainter painter(&img);
    painter.setPen(Qt::NoPen);
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            const double X = i / 4.0, Y = j / 4.0, d = 0.25;
            painter.setBrush((i + j) % 2 ? QColor(210, 180, 140) : QColor(120, 60, 40));
            painter.drawPolygon(QPolygonF{f.Image(X, Y), f.Image(X + d, Y), f.Image(X + d, Y + d),
                                          f.Image(X, Y + d)});
        }
    }
    return img;
}

}  // namespace

using GeometricRoad = GeomRun;

TEST_F(GeometricRoad, ClickedEdgesGiveTheFacadeUpToAxisScales) {
    const Facade f;
    OpenPicture(Render(f));
    // Each pair of ends lies exactly on a line through its vanishing point;
    // the lowest horizontal and the leftmost vertical are not entered first.
    Command("Retteorizzontali1");
    Line({110, 450}, {509, 425});
    Line({120, 300}, {518, 290});
    Line({100, 600}, {500, 560});  // the foot of the facade, Y = 0
    Command("Rettevertivali1");
    Line({300, 580}, {304, 222});
    Line({100, 600}, {120, 300});  // its left edge, X = 0
    Line({500, 560}, {488, 293});  // its right edge, X = 1
    EXPECT_EQ(FormGeom->Edit5->text(), "3");
    EXPECT_EQ(FormGeom->Edit6->text(), "3");

    Command("Calcolopuntidifuga1");
    EXPECT_EQ(FormGeom->Edit1->text(), "340.000");
    EXPECT_EQ(FormGeom->Edit2->text(), "-3000.000");
    EXPECT_EQ(FormGeom->Edit3->text(), "4100.000");
    EXPECT_EQ(FormGeom->Edit4->text(), "200.000");
    const GeometricState& g = Geometric();
    EXPECT_NEAR(double(g.VerticalVanishingPoint.x), f.vv[0], 0.01);
    EXPECT_NEAR(double(g.VerticalVanishingPoint.y), f.vv[1], 0.01);
    EXPECT_NEAR(double(g.HorizontalVanishingPoint.x), f.vh[0], 0.01);
    EXPECT_NEAR(double(g.HorizontalVanishingPoint.y), f.vh[1], 0.01);

    Command("Calcoloparametri1");
    ASSERT_TRUE(main_->cb_fot->Checked());
    // The square's side is one facade unit along both axes, so the direct
    // parameters are the facade's own with X and Y divided by 10.
    const std::array<long double, 8> expected = f.Direct().p;
    // Five decimals, or six significant digits where five would show fewer.
    for (int i = 1; i <= 8; ++i)
        EXPECT_EQ(
            FormTabPar->StringGrid1->Cells(1, i).toStdString(),
            FormatFixed(expected[i - 1], 14, DecimalsKeepingSignificant(expected[i - 1], 5, 6)))
            << i;

    // Reference plane = (sx * X, sy * Y) of the facade, the same sx and sy
    // everywhere: no rotation, shear, offset or perspective is left.
    const std::optional<Projective> toReference = SolveInverseGeometric(g.Square);
    ASSERT_TRUE(toReference);
    double sx = 0, sy = 0;
    for (double X : {0.1, 0.5, 0.93}) {
        for (double Y : {0.2, 0.61, 1.0}) {
            const QPointF px = f.Image(X, Y);
            const std::optional<PlanePoint> r = toReference->Apply(px.x(), px.y());
            ASSERT_TRUE(r);
            if (sx == 0) {
                sx = double(r->x) / X;
                sy = double(r->y) / Y;
            }
            EXPECT_NEAR(double(r->x), sx * X, 1e-9);
            EXPECT_NEAR(double(r->y), sy * Y, 1e-9);
        }
    }
    EXPECT_NEAR(sx, 10, 1e-9);
    EXPECT_NEAR(sy, 10, 1e-9);
}

// Seen nearly square on, the vanishing points a hundred picture widths away,
// the facade's perspective lives in parameters far below 1 (uu = 0.00063):
// the rectification must use them as computed, not as the table rounds them.
// Every end, corner and vanishing point lies on a whole pixel, so the
// rectified picture equals the one the facade's true transformation gives.
TEST_F(GeometricRoad, SquareOnFacadeIsRectifiedByItsTrueTransformation) {
    const Facade f{{64100, -1000}, {900, -63400}, {100, 600}, 1.0 / 159, 1.0 / 159};
    OpenPicture(Render(f));
    Command("Retteorizzontali1");
    Line({100, 400}, {420, 393});
    Line({100, 600}, {500, 590});  // the foot, to the facade's X = 1
    Command("Rettevertivali1");
    Line({400, 600}, {403, 216});
    Line({100, 600}, {105, 200});  // the left edge, to Y = 1
    Command("Calcolopuntidifuga1");
    Command("Calcoloparametri1");
    EXPECT_EQ(FormTabPar->StringGrid1->Cells(1, 7), "0.000628931");

    main_->Action("Selezionaarearicampionamento1")->trigger();
    for (QPoint p : {QPoint{100, 600}, QPoint{500, 590}, QPoint{502, 193}, QPoint{105, 200}})
        Click(p);
    main_->Action("Lineare2")->trigger();
    main_->Action("Vek2")->trigger();
    auto measure = [](const char* command, QPoint a, QPoint b) {
        FormRapporto->Command(command)->trigger();
        Click(a);
        Click(b);
    };
    FormRapporto->Edit1->setText("10");
    FormRapporto->Edit3->setText("10");
    measure("Misuralarghezza1", {100, 600}, {500, 590});
    measure("Misuraaltezza1", {100, 600}, {105, 200});
    QApplication::setActiveWindow(FormRapporto);
    FormRapporto->Edit6->setFocus();
    QTest::keyClicks(FormRapporto->Edit6, "0.01");
    FormRapporto->Command("Vek1")->trigger();
    ASSERT_NE(RectifiedWindow, nullptr) << DialogSeam::Messages().join("\n").toStdString();

    const AreaInputs area = FormLimiti->ReadArea();
    const ResampleGeometry g{f.Direct(),
                             0.01L,
                             RealOf(FormRapporto->Edit5),
                             RealOf(FormRapporto->Edit8),
                             area.Xin,
                             area.Yin,
                             area.Xfin,
                             area.Yfin};
    Raster truth;
    ASSERT_TRUE(truth.Allocate(CleanRectified.width(), CleanRectified.height()));
    Resample(ViewOfImage(CleanBitmap), truth, g, Interpolation::Nearest, 1);
    EXPECT_TRUE(AdoptRaster(std::move(truth)) == CleanRectified);
}
