#include <QMdiArea>
#include <QMdiSubWindow>

#include "app/u_avviso.h"
#include "export/u_georeferenzia.h"
#include "rectify/u_corretta.h"
#include "rectify/u_rapporto.h"
#include "rectify/u_scala.h"
#include "tests/rectify/rectify_fixture.h"

namespace {
class RectifiedRun : public RectifyRun {
protected:
    // A rectified window as a rectification leaves it, over a plain picture.
    TFormCorretta* OpenRectified(int w, int h) {
        auto* window = new TFormCorretta;
        QImage picture(w, h, QImage::Format_RGB32);
        picture.fill(QColor(40, 90, 140));
        window->Image1->SetPicture(picture);
        CleanRectified = window->Image1->Picture();
        main_->MdiArea->addSubWindow(window)->show();
        RectifiedWindow = window;
        main_->cb_corr->SetChecked(true);
        for (QAction* item : {main_->Dxf1, main_->Salva4, main_->Chiudi2}) item->setEnabled(true);
        return window;
    }
    static void Press(TFormCorretta* w, QPoint p) {
        w->Image1MouseMove(Qt::NoButton, p.x(), p.y());
        w->Image1MouseDown(Qt::LeftButton, Qt::LeftButton, p.x(), p.y());
        w->Image1MouseUp(Qt::LeftButton, Qt::NoButton, p.x(), p.y());
    }
};

struct Readout {
    const char* name;
    bool analytic;
    const char* xin;
    QPoint pixel;
    const char* x;
    const char* y;
};
class RectifiedReadout : public RectifiedRun, public ::testing::WithParamInterface<Readout> {};
}  // namespace

// Analytic: Xin 100, Yin 200, 0.01 m a pixel. Geometric: 0.02 m a pixel on a
// picture 400 high, from its lower-left corner.
TEST_P(RectifiedReadout, PointerShowsObjectCoordinates) {
    const Readout& c = GetParam();
    main_->SetMethod(c.analytic);
    FormLimiti->Edit1->setText(c.xin);
    FormLimiti->Edit2->setText("200");
    FormScala->Edit1->setText("0.01");
    FormRapporto->Edit6->setText("0.02");
    TFormCorretta* w = OpenRectified(300, 400);
    w->Image1MouseMove(Qt::NoButton, c.pixel.x(), c.pixel.y());
    EXPECT_EQ(Panel(0), c.x);
    EXPECT_EQ(Panel(1), c.y);
}

INSTANTIATE_TEST_SUITE_P(
    Methods, RectifiedReadout,
    ::testing::Values(
        Readout{"analytic", true, "100", {50, 100}, "100.500", "199.000"},
        Readout{"geometric", false, "100", {10, 390}, "0.200", "0.200"},
        // Millimetres kept whatever the integer part needs;
        // past 18 digits the exponent form.
        Readout{"nationalGrid", true, "5012345.678", {1, 0}, "5012345.688", "200.000"},
        Readout{"tenThousandKm", true, "10000000.12", {0, 2}, "10000000.120", "199.980"},
        Readout{"exponent", true, "1e19", {0, 0}, "1E19", "200.000"}),
    [](const auto& info) { return std::string(info.param.name); });

// From the readouts (100.500, 199.000) to (103.500, 195.000): 5 m.
TEST_F(RectifiedRun, DistanceFromTheReadoutsAsShown) {
    FormLimiti->Edit1->setText("100");
    FormLimiti->Edit2->setText("200");
    FormScala->Edit1->setText("0.01");
    TFormCorretta* w = OpenRectified(600, 600);
    main_->Action("Calcoladistanza2")->trigger();
    w->Image1MouseUp(Qt::RightButton, Qt::NoButton, 5, 5);  // a lens released: no end yet
    EXPECT_TRUE(main_->rb_distanza_1->Checked());
    Press(w, {50, 100});
    EXPECT_EQ(Panel(6), "distanza: ");
    EXPECT_TRUE(main_->rb_distanza_2->Checked());
    EXPECT_TRUE(Dragging);
    w->Image1MouseMove(Qt::NoButton, 200, 300);  // the band follows
    EXPECT_NE(w->Image1->canvas().Pixel(50, 100), CleanRectified.pixel(50, 100) & 0xFFFFFF);
    Press(w, {350, 500});
    EXPECT_EQ(Panel(6), "distanza: 5.000");
    EXPECT_EQ(QStringList({main_->Edit1->text(), main_->Edit2->text(), main_->Edit3->text(),
                           main_->Edit4->text()}),
              QStringList({"100.500", "199.000", "103.500", "195.000"}));
    EXPECT_FALSE(main_->rb_distanza_1->Checked());
    EXPECT_FALSE(main_->rb_distanza_2->Checked());
    EXPECT_EQ(Panel(5), "");
    EXPECT_EQ(w->Image1->Picture(), CleanRectified);  // no line left
    Press(w, {10, 10});                               // no mode: nothing
    EXPECT_EQ(Panel(6), "distanza: 5.000");
}

struct Closing {
    const char* name;
    bool byNotice;  // "Chiudi corretta" of the notice window, else the frame
};
class RectifiedClose : public RectifiedRun, public ::testing::WithParamInterface<Closing> {};

TEST_P(RectifiedClose, ClosingForgetsTheRectifiedImage) {
    OpenRectified(30, 20);
    FormGeoreferenzia->Edit1->setText("1");
    main_->StatusBar1->SetPanel(0, "1.000");
    if (GetParam().byNotice) {
        main_->Action("Chiudi2")->trigger();
        FormAvviso->Chiudicorretta1->trigger();
    } else {
        // The close button asks the notice's question; its answer closes.
        RectifiedWindow->parentWidget()->close();
        ASSERT_NE(RectifiedWindow, nullptr);
        FormAvviso->Chiudicorretta1->trigger();
    }
    FlushDeletes();
    EXPECT_EQ(RectifiedWindow, nullptr);
    EXPECT_TRUE(CleanRectified.isNull());
    EXPECT_EQ(SubWindows(), 0);
    EXPECT_FALSE(main_->cb_corr->Checked());
    EXPECT_FALSE(main_->Dxf1->isEnabled());
    // The notice's answer disables only "Dxf".
    EXPECT_TRUE(main_->Salva4->isEnabled());
    EXPECT_EQ(FormGeoreferenzia->Edit1->text(), "");
    EXPECT_EQ(Panel(0), "");
    EXPECT_FALSE(FormAvviso->isVisible());
}

INSTANTIATE_TEST_SUITE_P(Ways, RectifiedClose,
                         ::testing::Values(Closing{"frame", false}, Closing{"notice", true}),
                         [](const auto& info) { return std::string(info.param.name); });
