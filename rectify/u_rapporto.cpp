#include "rectify/u_rapporto.h"

#include <cmath>

#include "app/u_avviso.h"
#include "app/u_forms.h"
#include "app/u_principale.h"
#include "geometric/u_geometrico.h"
#include "platform/dialogs.h"
#include "platform/fonts.h"
#include "platform/fpcheck.h"
#include "rectify/u_anteprima.h"
#include "rectify/u_corretta.h"
#include "tables/u_omnia_ui.h"
#include "tables/u_stringhe.h"
#include "view/u_immagine.h"
#include "view/u_limiti.h"
#include "view/u_vista.h"

namespace {

ImageControl* SourceImage() { return ImageWindow ? ImageWindow->Image1 : nullptr; }

const QString kWidthField = "larghezza oggetto";
const QString kHeightField = "altezza oggetto";
const QString kPixelField = "valore in metri di un pixel";
const QString kResolutionField = "risoluzione immagine corretta (dpi)";

bool RefuseHorizon() {
    ShowErrorBox(FormPrincipale,
                 "Il punto cliccato cade sulla retta all'infinito del piano di riferimento: "
                 "scegliere un altro punto.");
    return false;
}

// The direct parameters as computed from the reference square: the table
// shows them rounded, and the perspective of a photo taken square-on lives
// in digits it does not show.
std::optional<Projective> ComputedParameters() {
    if (!FormPrincipale->cb_fot->Checked()) return std::nullopt;
    return SolveDirectGeometric(Geometric().Square);
}

void RefuseMeasure(QWidget* parent) {
    ShowErrorBox(parent, "La misura dà un valore che non si può rappresentare: è annullata.");
}

}  // namespace

TFormRapporto::TFormRapporto(QWidget* parent)
    : ToolWindow("FormRapporto", "Definizione rapporto x/y", parent) {
    resize(387, 264);
    BuildControls();
    Misuralarghezza1 = AddCommand("Misura larghezza", "Misuralarghezza1", this,
                                  &TFormRapporto::Misuralarghezza1Click);
    Misuraaltezza1 =
        AddCommand("Misura altezza", "Misuraaltezza1", this, &TFormRapporto::Misuraaltezza1Click);
    Anteprima1 = AddCommand("Anteprima", "Anteprima1", this, &TFormRapporto::Anteprima1Click);
    Vek1 = AddCommand("Vek", "Vek1", this, &TFormRapporto::Vek1Click);
    Chiudi1 = AddCommand("Chiudi", "Chiudi1", this, &TFormRapporto::Chiudi1Click);
    connect(Edit6, &QLineEdit::textChanged, this, &TFormRapporto::Edit6Change);
    connect(Edit7, &QLineEdit::textChanged, this, &TFormRapporto::Edit7Change);
}

void TFormRapporto::BuildControls() {
    const QFont bold = LabelFont();
    const QFont regular = LabelFont(LabelWeight::Regular);
    auto label = [&](const char* name, const QString& text, QWidget* parent, QRect r,
                     const QFont& font) {
        auto* l = new QLabel(text, parent);
        l->setObjectName(name);
        l->setFont(font);
        l->setGeometry(r);
        return l;
    };
    auto edit = [&](const char* name, QWidget* parent, QRect r, const QString& text = {}) {
        QLineEdit* e = MakeEdit(name, parent, text);
        e->setGeometry(r);
        return e;
    };
    auto group = [&](const char* name, const QString& caption, int x) {
        auto* g = new QGroupBox(caption, Body());
        g->setObjectName(name);
        g->setFont(bold);
        g->setGeometry(x, 4, 180, 72);
        return g;
    };
    GroupBox1 = group("GroupBox1", "  larghezza  ", 8);
    Label1 = label("Label1", "oggetto", GroupBox1, {8, 20, 80, 16}, regular);
    Edit1 = edit("Edit1", GroupBox1, {8, 38, 80, 20}, "1.0");
    Label2 = label("Label2", "immagine", GroupBox1, {94, 20, 80, 16}, regular);
    Edit2 = edit("Edit2", GroupBox1, {94, 38, 80, 20});
    GroupBox2 = group("GroupBox2", "  altezza  ", 196);
    Label3 = label("Label3", "oggetto", GroupBox2, {8, 20, 80, 16}, regular);
    Edit3 = edit("Edit3", GroupBox2, {8, 38, 80, 20}, "1.0");
    Label4 = label("Label4", "immagine", GroupBox2, {94, 20, 80, 16}, regular);
    Edit4 = edit("Edit4", GroupBox2, {94, 38, 80, 20});
    for (QLineEdit* measured : {Edit2, Edit4}) measured->setEnabled(false);
    // The two factors: pale yellow, never shown.
    Edit5 = edit("Edit5", Body(), {8, 84, 60, 20});
    Edit8 = edit("Edit8", Body(), {72, 84, 60, 20});
    for (QLineEdit* factor : {Edit5, Edit8}) {
        factor->setStyleSheet("background: rgb(255, 255, 128)");
        factor->hide();
    }
    Label6 = label("Label6", "valore in metri di un pixel :", Body(), {8, 84, 240, 18}, bold);
    Edit6 = edit("Edit6", Body(), {256, 84, 110, 20});
    Label7 =
        label("Label7", "risoluzione immagine corretta (dpi) :", Body(), {8, 110, 240, 18}, bold);
    Edit7 = edit("Edit7", Body(), {256, 110, 110, 20});
    Label8 =
        label("Label8", "dimensione immagine corretta (pi) :", Body(), {8, 136, 240, 18}, bold);
    Label9 = label("Label9", "", Body(), {256, 136, 120, 18}, bold);
    Label10 =
        label("Label10", "dimensione immagine corretta (cm) :", Body(), {8, 158, 240, 18}, bold);
    Label11 = label("Label11", "", Body(), {256, 158, 120, 18}, bold);
    for (QLabel* size : {Label9, Label11}) size->hide();
    Edit11 = edit("Edit11", Body(), {});
    Edit12 = edit("Edit12", Body(), {});
    Edit13 = edit("Edit13", Body(), {});
    Edit14 = edit("Edit14", Body(), {});
    Edit15 = edit("Edit15", Body(), {});
    Edit16 = edit("Edit16", Body(), {});
    Edit17 = edit("Edit17", Body(), {});
    Edit18 = edit("Edit18", Body(), {});
    for (QLineEdit* end : {Edit11, Edit12, Edit13, Edit14, Edit15, Edit16, Edit17, Edit18})
        end->hide();
    ProgressBar1 = AddProgressBar();
    StatusBar1 = AddStatusBar({200});
}

RatioInputs TFormRapporto::ReadRatio() const {
    auto value = [](const QLineEdit* e) { return EditNumber(e).value_or(0); };
    return {value(Edit1), value(Edit2), value(Edit3), value(Edit4),
            value(Edit5), value(Edit8), value(Edit6), value(Edit7)};
}

// ---- Measures ------------------------------------------------------------------

void TFormRapporto::EndPendingMeasure() {
    ImageControl* image = SourceImage();
    // Drawn twice in not-xor, a band vanishes.
    if (Dragging && image) DrawRubberBand(image, StartPoint, EndPoint, PenMode::NotXor);
    Dragging = false;
}

void TFormRapporto::Misuralarghezza1Click() {
    TFormPrincipale* main = FormPrincipale;
    EndPendingMeasure();
    main->StatusBar1->SetPanel(5, "misura larghezza");
    if (ImageControl* image = SourceImage()) image->SetPicture(CleanBitmap);
    main->rb_scala_x->SetChecked(true);
    Edit4->clear();
    Edit5->clear();
    MeasurePhase = 1;
    hide();
}

void TFormRapporto::Misuraaltezza1Click() {
    if (Edit2->text().isEmpty()) {
        ShowNotice("13");
        return;
    }
    EndPendingMeasure();
    FormPrincipale->StatusBar1->SetPanel(5, "misura altezza");
    FormPrincipale->rb_scala_y->SetChecked(true);
    MeasurePhase = 1;
    hide();
}

bool TFormRapporto::OpenMeasure(int x, int y, QLineEdit* endX, QLineEdit* endY) {
    const std::optional<PlanePoint> p = ImageToReference(x, y);
    if (!p) return RefuseHorizon();
    Dragging = true;
    if (ImageControl* image = SourceImage()) image->canvas().MoveTo(x, y);
    StartPoint = EndPoint = QPoint(x, y);
    SetNormalized(endX, FixedText(p->x, 8, 4));
    SetNormalized(endY, FixedText(p->y, 8, 4));
    MeasurePhase = 0;
    return true;
}

// The length is taken from the ends as written (4 decimals), so a length
// that reads as 0 is refused whatever the pixels were.
bool TFormRapporto::CloseMeasure(int x, int y, QLineEdit* endX, QLineEdit* endY, QLineEdit* firstX,
                                 QLineEdit* firstY, QLineEdit* length) {
    const std::optional<PlanePoint> p = ImageToReference(x, y);
    if (!p) return RefuseHorizon();
    const QString tx = FixedText(p->x, 8, 4), ty = FixedText(p->y, 8, 4);
    FpGuard guard;
    const long double d =
        DistanceBetween(EditReal(firstX), EditReal(firstY), TextToReal(tx.toStdString()),
                        TextToReal(ty.toStdString()));
    if (guard.Faulted() || !std::isfinite(d)) {
        RefuseMeasure(FormPrincipale);
        return false;
    }
    const QString text = FixedText(d, 10, 4);
    if (TextToReal(text.toStdString()) == 0) {
        FormPrincipale->StatusBar1->SetPanel(
            6, " misura nulla: cliccare un secondo estremo distinto dal primo");
        return false;
    }
    if (ImageControl* image = SourceImage())
        DrawRubberBand(image, StartPoint, QPoint(x, y), PenMode::White);
    Dragging = false;
    SetNormalized(endX, tx);
    SetNormalized(endY, ty);
    SetNormalized(length, text);
    MeasurePhase = 1;
    return true;
}

bool TFormRapporto::MeasureClick(Qt::MouseButton button, RadioButton* mode, int x, int y,
                                 const std::array<QLineEdit*, 4>& ends, QLineEdit* length) {
    if (button != Qt::LeftButton || !mode->Checked()) return false;
    if (MeasurePhase == 1) {
        OpenMeasure(x, y, ends[0], ends[1]);
        return false;
    }
    if (!CloseMeasure(x, y, ends[2], ends[3], ends[0], ends[1], length)) return false;
    mode->SetChecked(false);
    show();
    raise();
    return true;
}

void TFormRapporto::WidthMeasureBranch(Qt::MouseButton button, int x, int y) {
    if (!MeasureClick(button, FormPrincipale->rb_scala_x, x, y, {Edit11, Edit12, Edit13, Edit14},
                      Edit2))
        return;
    activateWindow();
    Edit3->setFocus();
}

void TFormRapporto::HeightMeasureBranch(Qt::MouseButton button, int x, int y) {
    TFormPrincipale* main = FormPrincipale;
    if (!MeasureClick(button, main->rb_scala_y, x, y, {Edit15, Edit16, Edit17, Edit18}, Edit4))
        return;
    main->StatusBar1->SetPanel(5, " ");
    // The width may have been emptied since "Misura altezza" (a new area).
    const RatioInputs in = ReadRatio();
    if (in.measuredWidth == 0) {
        ShowNotice("13");
        return;
    }
    if (!TypedFieldsUsable(false)) {
        Edit5->clear();
        Edit8->clear();
        return;
    }
    FpGuard guard;
    const long double fx = in.objectWidth / in.measuredWidth;
    const long double fy = in.objectHeight / in.measuredHeight;
    if (guard.Faulted() || !std::isfinite(fx) || !std::isfinite(fy)) {
        RefuseMeasure(this);
        return;
    }
    SetNormalized(Edit5, FixedText(fx, 10, 3));
    SetNormalized(Edit8, FixedText(fy, 10, 3));
}

// ---- Pixel size and resolution -----------------------------------------------

bool TFormRapporto::ShowOutputSize(long double s) {
    TFormPrincipale* main = FormPrincipale;
    const AreaInputs a = FormLimiti->ReadArea();
    const RatioInputs in = ReadRatio();
    FpGuard guard;
    const OutputSize size = ComputeOutputSize(a.Xin, a.Yin, a.Xfin, a.Yfin, s, in.fx, in.fy);
    const long double wm = size.W * s, hm = size.H * s;
    if (guard.Faulted() || size.W < 0 || size.H < 0 || !std::isfinite(wm) || !std::isfinite(hm)) {
        RefuseOutputSize(this);
        return false;
    }
    Label9->setText(QString("%1 x %2").arg(size.W).arg(size.H));
    Label11->setText(FixedText(wm, 10, 3) + " x " + FixedText(hm, 10, 3));
    Label9->show();
    Label11->show();
    main->cb_scala->SetChecked(true);
    SetNormalized(main->Edit5, FixedText(wm, 10, 3));
    SetNormalized(main->Edit6, FixedText(hm, 10, 3));
    return true;
}

void TFormRapporto::ShowNoSize(QLineEdit* other, const QString& field) {
    ShowNoOutputSize(other, Label9, Label11, StatusBar1, field);
}

void TFormRapporto::Edit6Change() {
    if (!Edit6->hasFocus()) return;
    const std::optional<long double> typed = PositiveEditNumber(Edit6);
    if (!typed) return ShowNoSize(Edit7, kPixelField);
    StatusBar1->SetPanel(0, QString());
    const long double s = *typed;
    FpGuard guard;
    const long double d = std::nearbyintl(2.54L / s);  // a whole number of dpi, halves to even
    if (guard.Faulted() || !std::isfinite(d)) return RefuseOutputSize(this);
    if (!ShowOutputSize(s)) return;
    Edit7->setText(FixedText(d, 10, 3));
    Label6->update();
    Label7->update();
    NormalizeEditDecimal(Edit6);
}

void TFormRapporto::Edit7Change() {
    if (!Edit7->hasFocus()) return;
    const std::optional<long double> typed = PositiveEditNumber(Edit7);
    if (!typed) return ShowNoSize(Edit6, kResolutionField);
    StatusBar1->SetPanel(0, QString());
    const long double d = *typed;
    FpGuard guard;
    const long double s = 2.54L / d;
    if (guard.Faulted() || !std::isfinite(s) || s == 0) return RefuseOutputSize(this);
    if (!ShowOutputSize(s)) return;
    SetNormalized(Edit6, FixedText(s, 12, 6));
    Label9->update();
    Label11->update();
}

// ---- Preview and rectification ---------------------------------------------------

bool TFormRapporto::AllFilled(std::initializer_list<QLineEdit*> fields) {
    for (QLineEdit* e : fields) {
        if (e->text().isEmpty()) {
            ShowNotice("14");
            return false;
        }
    }
    return true;
}

bool TFormRapporto::TypedFieldsUsable(bool withPixel) {
    const std::pair<QLineEdit*, QString> fields[] = {
        {Edit1, kWidthField}, {Edit3, kHeightField}, {Edit6, kPixelField}};
    for (const auto& [edit, name] : fields) {
        if (edit == Edit6 && !withPixel) break;
        // An empty field is a step not done, left to the notices.
        if (!edit->text().isEmpty() && !RequirePositive(this, edit, name)) return false;
    }
    return true;
}

bool TFormRapporto::FactorsUsable() const {
    const RatioInputs in = ReadRatio();
    if (in.fx != 0 && in.fy != 0) return true;
    ShowNotice("14");
    return false;
}

void TFormRapporto::Anteprima1Click() {
    TFormPrincipale* main = FormPrincipale;
    if (!main->rb_geom->Checked()) return;
    if (!TypedFieldsUsable(false)) return;
    const bool filled = AllFilled({Edit1, Edit2, Edit3, Edit4, Edit5, Edit8}) && FactorsUsable();
    if (!main->cb_area->Checked() || !filled || main->cb_corr->Checked()) {
        ShowNotice("9");
        return;
    }
    const std::optional<Projective> t = ComputedParameters();
    if (!t) {
        ShowNotice("9");
        return;
    }
    const RatioInputs in = ReadRatio();
    // Sides of 50 pixels or less make no useful preview of a measured ratio.
    PreviewRectification(*t, FormLimiti->ReadArea(), in.fx, in.fy, 50, ProgressBar1, StatusBar1);
}

// Refused with notice "14" whatever is missing, the scale included, and
// while a rectified image is open.
void TFormRapporto::Vek1Click() {
    TFormPrincipale* main = FormPrincipale;
    if (!main->rb_geom->Checked()) return;
    const RatioInputs in = ReadRatio();
    if (!TypedFieldsUsable(true)) return;
    const bool filled =
        AllFilled({Edit1, Edit2, Edit3, Edit4, Edit5, Edit6, Edit7, Edit8}) && FactorsUsable();
    if (!filled) return;
    const std::optional<Projective> t = ComputedParameters();
    if (!main->cb_scala->Checked() || in.pixelSize == 0 || main->cb_corr->Checked() || !t) {
        ShowNotice("14");
        return;
    }
    for (QLabel* l : {Label8, Label9, Label10, Label11}) l->repaint();
    RectifyIntoNewWindow(*t, FormLimiti->ReadArea(), in.pixelSize, in.fx, in.fy, ProgressBar1,
                         StatusBar1);
}

void TFormRapporto::Chiudi1Click() {
    TFormPrincipale* main = FormPrincipale;
    if (main->rb_scala_x->Checked() || main->rb_scala_y->Checked()) EndPendingMeasure();
    hide();
    main->rb_scala_x->SetChecked(false);
    main->rb_scala_y->SetChecked(false);
}
