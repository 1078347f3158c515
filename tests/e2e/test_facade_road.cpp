// The analytic road to a rectified picture on the sample facade: the targets
// collimated by clicks, their object coordinates loaded, the area chosen by
// four presses, a pixel size typed, and the rectified picture compared with
// the facade's true painted texture.
#include <QAction>
#include <QApplication>
#include <QTest>
#include <array>
#include <cmath>

#include "analytic/u_tabres.h"
#include "rectify/u_corretta.h"
#include "rectify/u_scala.h"
#include "samples/facade.h"
#include "tables/u_stringhe.h"
#include "tables/u_tabfot.h"
#include "tables/u_tabimm.h"
#include "tests/e2e/facade_clicks.h"
#include "tests/gui_fixture.h"
#include "view/u_immagine.h"
#include "view/u_limiti.h"

namespace {
long double Real(const QLineEdit* e) { return TextToReal(e->text().toStdString()); }
}  // namespace

using FacadeRoad = VekRun;

TEST_F(FacadeRoad, RectifiedPictureIsTheFacadeTexture) {
    ChooseAnalytic();
    DialogSeam::PresetFileName(Sample("facciata.jpg"));
    main_->Action("Apri1")->trigger();
    ASSERT_TRUE(ImageWindow);

    main_->Action("Visualizza6")->trigger();
    FormTabImm->Command("Iniziacollimazione1")->trigger();
    for (const FacadeTarget& t : FacadeTargets()) {
        Click(Seen(t.X, t.Y));
        FormTabImm->Command("Registrapunto1")->trigger();
    }
    DialogSeam::PresetFileName(Sample("facciata.ogg"));
    main_->Action("Carica5")->trigger();
    FormTabFot->Command("Creafilefot1")->trigger();
    ASSERT_TRUE(main_->cb_fot->Checked());
    main_->Action("Residui2")->trigger();
    FormTabRes->Command("calcolaparametriinversi1")->trigger();
    ASSERT_TRUE(DialogSeam::Messages().isEmpty());

    main_->Action("Selezionaarearicampionamento1")->trigger();
    for (const auto& [X, Y] :
         std::array<std::pair<double, double>, 4>{{{1, 1}, {19, 1}, {19, 11}, {1, 11}}})
        Click(Seen(X, Y));
    ASSERT_TRUE(main_->cb_area->Checked());
    EXPECT_NEAR(double(Real(FormLimiti->Edit1)), 1, 0.02);
    EXPECT_NEAR(double(Real(FormLimiti->Edit2)), 11, 0.02);

    main_->Action("Vek2")->trigger();
    ASSERT_TRUE(FormScala->isVisible());
    QApplication::setActiveWindow(FormScala);
    FormScala->Edit1->setFocus();
    QTest::keyClicks(FormScala->Edit1, "0.02");
    EXPECT_EQ(FormScala->Label6->text(), "900 x 500");
    FormScala->Command("Vek1")->trigger();
    ASSERT_TRUE(DialogSeam::Messages().isEmpty())
        << DialogSeam::Messages().join("\n").toStdString();
    ASSERT_NE(RectifiedWindow, nullptr);
    const QImage& out =
        std::as_const(*static_cast<TFormCorretta*>(RectifiedWindow)->Image1).Picture();
    ASSERT_EQ(out.size(), QSize(900, 500));

    // Output pixel (c, r) lies at X = Xin + c s, Y = Yin - r s.
    const long double xin = Real(FormLimiti->Edit1), yin = Real(FormLimiti->Edit2), s = 0.02L;
    double error[3] = {0, 0, 0};
    long compared = 0;
    for (int r = 0; r < out.height(); ++r) {
        for (int c = 0; c < out.width(); ++c) {
            const long double X = xin + c * s, Y = yin - r * s;
            if (NearTextureEdge(X, Y, 0.04L)) continue;
            const Rgb truth = FacadeColor(X, Y);
            const QRgb got = out.pixel(c, r);
            error[0] += std::fabs(qRed(got) - truth.r);
            error[1] += std::fabs(qGreen(got) - truth.g);
            error[2] += std::fabs(qBlue(got) - truth.b);
            ++compared;
        }
    }
    ASSERT_GT(compared, 900 * 500 / 2);
    for (double e : error) EXPECT_LT(e / compared, 6.0);

    // The pointer over the upper-left pixel reads the area's corner.
    auto* window = static_cast<TFormCorretta*>(RectifiedWindow);
    window->Image1MouseMove(Qt::NoButton, 0, 0);
    EXPECT_EQ(Panel(0), FormLimiti->Edit1->text());
    EXPECT_EQ(Panel(1), FormLimiti->Edit2->text());
}
