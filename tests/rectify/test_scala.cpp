#include <QMdiArea>
#include <functional>

#include "analytic/u_tabres.h"
#include "rectify/u_anteprima.h"
#include "rectify/u_corretta.h"
#include "rectify/u_scala.h"
#include "tests/rectify/rectify_fixture.h"

namespace {
// A 640 x 480 photograph seen square on: one metre is 100 pixels and object
// Y grows upwards from the bottom row.
void Square(double x, double y, double& X, double& Y) {
    X = x / 100;
    Y = (480 - y) / 100;
}
const std::vector<QPoint> kControl = {{20, 20}, {600, 30}, {620, 460}, {30, 440}, {300, 200}};

class ScaleRun : public RectifyRun {
protected:
    void SetUp() override {
        RectifyRun::SetUp();
        OpenPicture(TracePicture(640, 480));
        FillUnionTable(kControl, Square);
    }
    void SetArea(double xin, double yin, double xfin, double yfin) {
        const double v[4] = {xin, yin, xfin, yfin};
        QLineEdit* edits[4] = {FormLimiti->Edit1, FormLimiti->Edit2, FormLimiti->Edit3,
                               FormLimiti->Edit4};
        for (int i = 0; i < 4; ++i)
            edits[i]->setText(QString::fromStdString(FormatFixed(v[i], 10, 3)));
        main_->cb_area->SetChecked(true);
    }
    // Typed by the user: the edit has the focus.
    static void Type(QLineEdit* edit, const QString& text) {
        FormScala->show();
        QApplication::setActiveWindow(FormScala);
        edit->setFocus();
        ASSERT_TRUE(edit->hasFocus());
        edit->clear();
        QTest::keyClicks(edit, text);
    }
    static void Command(const char* name) { FormScala->Command(name)->trigger(); }
};

struct Typing {
    const char* name;
    bool resolution;  // typed into Edit2, else Edit1
    const char* text;
    const char* edit1;
    const char* edit2;
};
class ScaleEdits : public ScaleRun, public ::testing::WithParamInterface<Typing> {};
}  // namespace

// Area 0 .. 10 by 5 .. 0: a pixel of 0.01 m is 254 dpi and 1000 x 500 pixels,
// typed either way; what one edit writes into the other does not come back.
TEST_P(ScaleEdits, PixelSizeAndResolutionGiveTheOutputSize) {
    SetArea(0, 5, 10, 0);
    const Typing& t = GetParam();
    Type(t.resolution ? FormScala->Edit2 : FormScala->Edit1, t.text);
    EXPECT_EQ(FormScala->Edit1->text(), t.edit1);
    EXPECT_EQ(FormScala->Edit2->text(), t.edit2);
    EXPECT_EQ(FormScala->Label6->text(), "1000 x 500");
    EXPECT_EQ(FormScala->Label7->text(), "10.000 x 5.000");
    EXPECT_TRUE(FormScala->Label6->isVisible());
    EXPECT_TRUE(main_->cb_scala->Checked());
}

INSTANTIATE_TEST_SUITE_P(Fields, ScaleEdits,
                         ::testing::Values(Typing{"pixel", false, "0.01", "0.01", "254.000"},
                                           Typing{"comma", false, "0,01", "0.01", "254.000"},
                                           Typing{"resolution", true, "254", "0.010000", "254"}),
                         [](const auto& info) { return std::string(info.param.name); });

using ScaleDialog = ScaleRun;

// While the typed value is no usable pixel size or resolution, nothing is
// derived from it and the status bar names the field.
TEST_F(ScaleDialog, UnusableValueShowsNoSizeAndSaysWhy) {
    SetArea(0, 5, 10, 0);
    for (const char* text : {"abc", "-1", "0", "2,5,0"}) {
        Type(FormScala->Edit1, "0.01");
        Type(FormScala->Edit1, text);
        EXPECT_EQ(FormScala->Edit2->text(), "") << text;
        EXPECT_FALSE(FormScala->Label6->isVisibleTo(FormScala)) << text;
        EXPECT_FALSE(main_->cb_scala->Checked()) << text;
        EXPECT_TRUE(FormScala->StatusBar1->Panel(0).contains("Valore in metri di un pixel"));
        Type(FormScala->Edit2, text);
        EXPECT_EQ(FormScala->Edit1->text(), "") << text;
        EXPECT_TRUE(FormScala->StatusBar1->Panel(0).contains("Risoluzione"));
    }
}

TEST_F(ScaleDialog, TextSetByTheProgramComputesNothing) {
    SetArea(0, 5, 10, 0);
    FormScala->Edit1->setText("0.01");
    FormScala->Edit2->setText("254");
    EXPECT_FALSE(FormScala->Label6->isVisibleTo(FormScala));
    EXPECT_FALSE(main_->cb_scala->Checked());
}

struct PreviewCase {
    const char* name;
    double w, h;
    QSize size;
    bool shown;
};
class ScalePreview : public ScaleRun, public ::testing::WithParamInterface<PreviewCase> {};

// The longer side makes 300 pixels; a side of 20 pixels or less is refused.
TEST_P(ScalePreview, LongerSideIs300AndSmallOnesAreRefused) {
    const PreviewCase& c = GetParam();
    SetArea(1, 1 + c.h, 1 + c.w, 1);
    FormAvviso->Label1->clear();
    Command("Anteprima1");
    EXPECT_EQ(FormAnteprima->Image1->Picture().size(), c.size);
    EXPECT_EQ(FormAnteprima->isVisible(), c.shown);
    EXPECT_EQ(Notice(),
              c.shown ? "" : " immagine corretta troppo piccola per eseguire una anteprima ");
    EXPECT_FALSE(FormScala->ProgressBar1->isVisibleTo(FormScala));
    EXPECT_TRUE(FormScala->StatusBar1->isVisibleTo(FormScala));
}

INSTANTIATE_TEST_SUITE_P(Sizes, ScalePreview,
                         ::testing::Values(PreviewCase{"square", 4, 4, {300, 300}, true},
                                           PreviewCase{"thin", 30, 1, {300, 10}, false},
                                           PreviewCase{"side21", 300, 21, {300, 21}, true},
                                           PreviewCase{"side20", 300, 20, {300, 20}, false}),
                         [](const auto& info) { return std::string(info.param.name); });

// The area 0 .. 6 by 4 .. 0 at 0.01 m: output pixel (c, r) lies at
// X = c / 100, Y = 4 - r / 100, which is photograph pixel (c, 80 + r).
TEST_F(ScaleDialog, VekOpensTheRectifiedWindow) {
    SetArea(0, 4, 6, 0);
    Type(FormScala->Edit1, "0.01");
    Command("Vek1");
    ASSERT_NE(RectifiedWindow, nullptr);
    auto* window = static_cast<TFormCorretta*>(RectifiedWindow);
    EXPECT_EQ(window->windowTitle(), ImageWindow->windowTitle() + "  ric");
    EXPECT_TRUE(main_->cb_corr->Checked());
    ASSERT_EQ(CleanRectified.size(), QSize(600, 400));
    for (int r = 0; r < 400; r += 7)
        for (int c = 0; c < 600; c += 5)
            ASSERT_EQ(window->Image1->canvas().Pixel(c, r), TracePixel(c, 80 + r) & 0xFFFFFF)
                << c << "," << r;
    for (const char* item : {"Dxf1", "Salva4", "Chiudi2"})
        EXPECT_TRUE(main_->Action(item)->isEnabled()) << item;
    EXPECT_TRUE(FormScala->StatusBar1->isVisibleTo(FormScala));
    Command("Vek1");  // one rectified image at a time
    EXPECT_EQ(Notice(), " controllare di aver eseguito tutte le operazioni");
    EXPECT_EQ(main_->MdiArea->subWindowList().size(), 2);
    // The close button asks what the menu's "Chiudi" asks.
    RectifiedWindow->parentWidget()->close();
    EXPECT_EQ(RectifiedWindow, window);
    EXPECT_TRUE(FormAvviso->Chiudicorretta1->isVisible());
    EXPECT_TRUE(Notice().contains("Chiudere"));
}

struct Refusal {
    const char* name;
    std::function<void()> spoil;
    const char* notice;  // nullptr: a message box instead
};
class ScaleRefusals : public ScaleRun, public ::testing::WithParamInterface<Refusal> {};

TEST_P(ScaleRefusals, VekOpensNoWindow) {
    SetArea(0, 4, 6, 0);
    Type(FormScala->Edit1, "0.01");
    GetParam().spoil();
    FormAvviso->Label1->clear();
    Command("Vek1");
    EXPECT_EQ(RectifiedWindow, nullptr);
    EXPECT_EQ(main_->MdiArea->subWindowList().size(), 1);
    if (const char* notice = GetParam().notice) {
        EXPECT_EQ(Notice(), notice);
    } else {
        EXPECT_EQ(DialogSeam::Messages().size(), 1);
        EXPECT_FALSE(main_->cb_corr->Checked());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ScaleRefusals,
    ::testing::Values(Refusal{"noScale", [] { FormPrincipale->cb_scala->SetChecked(false); },
                              " controllare di aver eseguito tutte le operazioni"},
                      Refusal{"zeroPixel", [] { FormScala->Edit1->setText("0"); }, nullptr},
                      Refusal{"negativePixel", [] { FormScala->Edit1->setText("-0.01"); }, nullptr},
                      Refusal{"textPixel", [] { FormScala->Edit1->setText("abc"); }, nullptr},
                      Refusal{"tooLargeForMemory", [] { FormScala->Edit1->setText("0.000001"); },
                              nullptr},
                      Refusal{"noPixels",
                              [] {
                                  FormLimiti->Edit3->setText("0.000");
                                  FormPrincipale->cb_scala->SetChecked(true);
                              },
                              nullptr},
                      Refusal{"failedEstimation",
                              [] {
                                  for (int c = 0; c < 5; ++c)
                                      FormTabFot->StringGrid1->SetCells(c, 4, "");
                                  for (int c = 0; c < 5; ++c)
                                      FormTabFot->StringGrid1->SetCells(c, 5, "");
                              },
                              nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ScaleDialog, PreviewWantsAnArea) {
    Command("Anteprima1");
    EXPECT_EQ(Notice(), " operazione non corretta");
    EXPECT_FALSE(FormAnteprima->isVisible());
}
