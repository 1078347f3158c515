// The ratio dialog: measures clicked on the photograph, the factors, the
// pixel size and resolution kept in step, and the refusals of its commands.
#include <QApplication>

#include "analytic/u_tabrpar.h"
#include "app/u_avviso.h"
#include "geometric/u_geometrico.h"
#include "rectify/u_anteprima.h"
#include "rectify/u_rapporto.h"
#include "tests/rectify/rectify_fixture.h"

namespace {

// The reference square seen square on: the pixel (x, y) lies at
// (0.05 x - 5, 20 - 0.05 y) of the reference plane, 20 pixels a unit.
void SetSquareOnReference() {
    ReferenceSquare& q = Geometric().Square;
    q[0] = {0, 0, 100, 400};
    q[1] = {10, 0, 300, 400};
    q[2] = {10, 10, 300, 200};
    q[3] = {0, 10, 100, 200};
}

class RatioRun : public RectifyRun {
protected:
    void SetUp() override {
        RectifyRun::SetUp();
        main_->SetMethod(false);
        OpenPicture(TracePicture(400, 500));
        SetSquareOnReference();
        main_->cb_fot->SetChecked(true);
        main_->cb_area->SetChecked(true);
        // The square's direct parameters, as "Calcolo parametri" writes them.
        const char* direct[8] = {"20", "0", "0", "-20", "100", "400", "0", "0"};
        for (int i = 1; i <= 8; ++i) FormTabPar->StringGrid1->SetCells(1, i, direct[i - 1]);
    }
    void Menu(const char* name) { FormRapporto->Command(name)->trigger(); }
    void Measure(const char* command, QPoint a, QPoint b) {
        Menu(command);
        Click(ImageWindow->Image1, a);
        Click(ImageWindow->Image1, b);
    }
    // Typed into the field as a user does: only the focused field computes.
    static void Type(QLineEdit* edit, const QString& text) {
        FormRapporto->show();
        QApplication::setActiveWindow(FormRapporto);
        edit->setFocus();
        edit->clear();
        QTest::keyClicks(edit, text);
    }
    static void SetArea(const char* xin, const char* yin, const char* xfin, const char* yfin) {
        FormLimiti->Edit1->setText(xin);
        FormLimiti->Edit2->setText(yin);
        FormLimiti->Edit3->setText(xfin);
        FormLimiti->Edit4->setText(yfin);
    }
};

}  // namespace

TEST_F(RatioRun, WidthAndHeightClickedGiveTheFactors) {
    FormRapporto->Edit1->setText("2.0");
    Measure("Misuralarghezza1", {100, 400}, {300, 400});
    EXPECT_EQ(FormRapporto->Edit13->text(), "10.0000");
    EXPECT_EQ(FormRapporto->Edit2->text(), "10.0000");
    EXPECT_FALSE(main_->rb_scala_x->Checked());
    EXPECT_TRUE(FormRapporto->isVisible());
    EXPECT_EQ(FormRapporto->focusWidget(), FormRapporto->Edit3);
    // The measured line stays on the photograph.
    EXPECT_EQ(ImageWindow->Image1->canvas().Pixel(100, 400), 0xFFFFFFu);

    Measure("Misuraaltezza1", {100, 400}, {100, 300});
    EXPECT_EQ(FormRapporto->Edit18->text(), "5.0000");
    EXPECT_EQ(FormRapporto->Edit4->text(), "5.0000");
    EXPECT_EQ(FormRapporto->Edit5->text(), "0.200");
    EXPECT_EQ(FormRapporto->Edit8->text(), "0.200");
    EXPECT_FALSE(main_->rb_scala_y->Checked());
    EXPECT_EQ(Panel(5), " ");

    // A new width empties the height's factor and the measured height.
    Menu("Misuralarghezza1");
    EXPECT_EQ(FormRapporto->Edit4->text(), "");
    EXPECT_EQ(FormRapporto->Edit5->text(), "");
    EXPECT_EQ(Panel(5), "misura larghezza");
    EXPECT_FALSE(FormRapporto->isVisible());
}

TEST_F(RatioRun, HeightBeforeAnyWidthGivesNotice13) {
    Menu("Misuralarghezza1");
    Menu("Misuraaltezza1");
    EXPECT_EQ(Notice(), " misurare prima una larghezza");
    EXPECT_FALSE(main_->rb_scala_y->Checked());
}

// Two clicks on one pixel: no length, the earlier values stay, and the
// measure waits for another second end.
TEST_F(RatioRun, ZeroLengthIsRefused) {
    for (const char* command : {"Misuralarghezza1", "Misuraaltezza1"}) {
        const bool width = std::string(command) == "Misuralarghezza1";
        QLineEdit* length = width ? FormRapporto->Edit2 : FormRapporto->Edit4;
        RadioButton* mode = width ? main_->rb_scala_x : main_->rb_scala_y;
        length->setText("7.0000");
        FormRapporto->Edit5->setText("0.300");
        FormRapporto->Edit8->setText("0.400");
        Measure(command, {120, 380}, {120, 380});
        EXPECT_EQ(length->text(), "7.0000") << command;
        EXPECT_EQ(FormRapporto->Edit8->text(), "0.400") << command;
        EXPECT_EQ(Panel(6), " misura nulla: cliccare un secondo estremo distinto dal primo");
        EXPECT_TRUE(mode->Checked()) << command;
        Click(ImageWindow->Image1, {120, 340});
        EXPECT_EQ(length->text(), "2.0000") << command;
        EXPECT_FALSE(mode->Checked()) << command;
    }
}

namespace {
struct TypedValue {
    const char* name;
    bool resolution;  // typed into Edit7, else Edit6
    const char* typed;
    const char *pixel, *dpi, *pixels, *metres;
};
class RatioTyped : public RatioRun, public ::testing::WithParamInterface<TypedValue> {};
}  // namespace

// w = 10, h = 4, fx = fy = 0.5: a resolution updates everything a pixel
// size does, the main window's extent included.
TEST_P(RatioTyped, SizesFollowTheTypedField) {
    const TypedValue& v = GetParam();
    SetArea("0.000", "4.000", "10.000", "0.000");
    FormRapporto->Edit5->setText("0.500");
    FormRapporto->Edit8->setText("0.500");
    Type(v.resolution ? FormRapporto->Edit7 : FormRapporto->Edit6, v.typed);
    EXPECT_EQ(FormRapporto->Edit6->text(), v.pixel);
    EXPECT_EQ(FormRapporto->Edit7->text(), v.dpi);
    EXPECT_EQ(FormRapporto->Label9->text(), v.pixels);
    EXPECT_TRUE(FormRapporto->Label9->isVisible());
    EXPECT_EQ(FormRapporto->Label11->text(), v.metres);
    const QStringList extent = QString(v.metres).split(" x ");
    EXPECT_EQ(main_->Edit5->text(), extent[0]);
    EXPECT_EQ(main_->Edit6->text(), extent[1]);
    EXPECT_TRUE(main_->cb_scala->Checked());
}

INSTANTIATE_TEST_SUITE_P(
    Examples, RatioTyped,
    ::testing::Values(
        TypedValue{"PixelSize", false, "0.01", "0.01", "254.000", "500 x 200", "5.000 x 2.000"},
        TypedValue{"Comma", false, "0,01", "0.01", "254.000", "500 x 200", "5.000 x 2.000"},
        TypedValue{"Resolution", true, "254", "0.010000", "254", "500 x 200", "5.000 x 2.000"},
        // 2.54 / 0.0033 = 769.69..: the resolution is whole, and back it
        // gives a pixel size that is not the one typed.
        TypedValue{"WholeDpi", false, "0.0033", "0.0033", "770.000", "1515 x 606", "5.000 x 2.000"},
        TypedValue{"DpiBack", true, "770", "0.003299", "770", "1516 x 606", "5.001 x 1.999"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RatioRun, FieldsSetByCodeComputeNothing) {
    SetArea("0.000", "4.000", "10.000", "0.000");
    FormRapporto->Edit6->setText("0.01");
    FormRapporto->Edit7->setText("254");
    EXPECT_FALSE(FormRapporto->Label9->isVisible());
    EXPECT_FALSE(main_->cb_scala->Checked());
}

// An output too large to make is refused as soon as it is typed.
TEST_F(RatioRun, UnrepresentableSizeWritesNothing) {
    SetArea("0.000", "4.000", "10.000", "0.000");
    FormRapporto->Edit5->setText("0.500");
    FormRapporto->Edit8->setText("0.500");
    Type(FormRapporto->Edit6, "");
    FormRapporto->Edit6->insert("1e-12");  // pasted
    EXPECT_EQ(DialogSeam::Messages().size(), 1);
    EXPECT_EQ(FormRapporto->Edit7->text(), "");
    EXPECT_FALSE(FormRapporto->Label9->isVisible());
    EXPECT_EQ(main_->Edit5->text(), "");
    EXPECT_FALSE(main_->cb_scala->Checked());
}

TEST_F(RatioRun, PreviewWithoutAFactorGivesNotice14Then9) {
    // The notice window is modeless: the first notice shows only until the
    // second replaces it, so each text is caught as the main status bar is
    // repainted.
    QStringList shown;
    struct Spy : QObject {
        QStringList* shown;
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::Paint) shown->append(FormAvviso->Label1->text());
            return false;
        }
    } spy;
    spy.shown = &shown;
    main_->StatusBar1->installEventFilter(&spy);
    FormRapporto->Edit2->setText("10.0000");
    FormRapporto->Edit4->setText("5.0000");
    FormRapporto->Edit8->setText("0.200");
    FormRapporto->Command("Anteprima1")->trigger();
    main_->StatusBar1->removeEventFilter(&spy);
    shown.removeDuplicates();
    EXPECT_EQ(shown, QStringList({" controllare di aver eseguito tutte le operazioni",
                                  " operazione non corretta"}));
}

namespace {
struct PreviewCase {
    const char* name;
    const char* height;  // h * fy with w * fx = 30: the preview is 300 x 10 h
    bool shown;
};
class RatioPreview : public RatioRun, public ::testing::WithParamInterface<PreviewCase> {};
}  // namespace

// Longer side 300 pixels; a side of 50 or less is refused, although the
// scale dialog shows such previews.
TEST_P(RatioPreview, ShortSideOver50IsShown) {
    SetArea("0.000", GetParam().height, "30.000", "0.000");
    FormRapporto->Edit2->setText("10.0000");
    FormRapporto->Edit4->setText("10.0000");
    FormRapporto->Edit5->setText("1.000");
    FormRapporto->Edit8->setText("1.000");
    FormRapporto->Command("Anteprima1")->trigger();
    const QString height = QString(GetParam().height);
    EXPECT_EQ(FormAnteprima->Image1->Picture().size(),
              QSize(300, int(std::lround(height.toDouble() * 10))));
    EXPECT_EQ(FormAnteprima->isVisible(), GetParam().shown);
    EXPECT_EQ(Notice() == " immagine corretta troppo piccola per eseguire una anteprima ",
              !GetParam().shown);
    EXPECT_FALSE(FormRapporto->StatusBar1->isHidden());
    EXPECT_TRUE(FormRapporto->ProgressBar1->isHidden());
}

INSTANTIATE_TEST_SUITE_P(Sizes, RatioPreview,
                         ::testing::Values(PreviewCase{"Shown60", "6.000", true},
                                           PreviewCase{"Refused30", "3.000", false},
                                           PreviewCase{"Refused50", "5.000", false},
                                           PreviewCase{"Shown51", "5.100", true}),
                         [](const auto& info) { return std::string(info.param.name); });

namespace {
struct Refusal {
    const char* name;
    std::function<void(TFormPrincipale*)> spoil;
};
class RatioVekRefused : public RatioRun, public ::testing::WithParamInterface<Refusal> {};
}  // namespace

TEST_P(RatioVekRefused, ShowsNotice14AndMakesNothing) {
    SetArea("0.000", "4.000", "10.000", "0.000");
    for (QLineEdit* e : {FormRapporto->Edit2, FormRapporto->Edit4}) e->setText("2.0000");
    FormRapporto->Edit5->setText("0.500");
    FormRapporto->Edit8->setText("0.500");
    Type(FormRapporto->Edit6, "0.01");
    GetParam().spoil(main_);
    FormRapporto->Command("Vek1")->trigger();
    EXPECT_EQ(Notice(), " controllare di aver eseguito tutte le operazioni");
    EXPECT_EQ(RectifiedWindow, nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Reasons, RatioVekRefused,
    ::testing::Values(
        Refusal{"RectifiedOpen", [](TFormPrincipale* m) { m->cb_corr->SetChecked(true); }},
        Refusal{"NoScale", [](TFormPrincipale* m) { m->cb_scala->SetChecked(false); }},
        Refusal{"ZeroFactor", [](TFormPrincipale*) { FormRapporto->Edit5->setText("0.000"); }},
        Refusal{"NoHeight", [](TFormPrincipale*) { FormRapporto->Edit4->clear(); }}),
    [](const auto& info) { return std::string(info.param.name); });

// A typed value that is no number, or not above 0, derives nothing while it
// is typed, and "Vek" refuses it with one message naming the field.
TEST_F(RatioRun, UnusableFieldsAreNamedAndNeverUsed) {
    SetArea("0.000", "4.000", "10.000", "0.000");
    for (QLineEdit* e : {FormRapporto->Edit2, FormRapporto->Edit4}) e->setText("2.0000");
    FormRapporto->Edit5->setText("0.500");
    FormRapporto->Edit8->setText("0.500");
    for (const char* text : {"abc", "-0.02", "0"}) {
        Type(FormRapporto->Edit6, text);
        EXPECT_EQ(FormRapporto->Edit7->text(), "") << text;
        EXPECT_FALSE(FormRapporto->Label9->isVisible()) << text;
        EXPECT_TRUE(FormRapporto->StatusBar1->Panel(0).contains("valore in metri di un pixel"));
    }
    const std::pair<QLineEdit*, const char*> fields[] = {{FormRapporto->Edit6, "valore in metri"},
                                                         {FormRapporto->Edit1, "larghezza"},
                                                         {FormRapporto->Edit3, "altezza"}};
    for (const auto& [edit, field] : fields) {
        Type(FormRapporto->Edit6, "0.01");
        edit->setText("abc");
        DialogSeam::Messages().clear();
        FormRapporto->Command("Vek1")->trigger();
        ASSERT_EQ(DialogSeam::Messages().size(), 1) << field;
        EXPECT_TRUE(DialogSeam::Messages()[0].contains(field)) << field;
        EXPECT_EQ(RectifiedWindow, nullptr);
        edit->setText(edit == FormRapporto->Edit6 ? "0.01" : "1.0");
    }
}
