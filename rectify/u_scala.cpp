#include "rectify/u_scala.h"

#include <cmath>

#include "analytic/u_tabres.h"
#include "app/u_avviso.h"
#include "app/u_forms.h"
#include "app/u_principale.h"
#include "platform/dialogs.h"
#include "platform/fonts.h"
#include "platform/fpcheck.h"
#include "rectify/u_anteprima.h"
#include "rectify/u_corretta.h"
#include "tables/u_omnia_ui.h"
#include "view/u_limiti.h"

namespace {
// Below this a preview is too small to be worth a window.
constexpr int kMinPreviewSide = 20;
const QString kPixelField = "Valore in metri di un pixel";
const QString kResolutionField = "Risoluzione immagine corretta (dpi)";
}  // namespace

TFormScala::TFormScala(QWidget* parent)
    : ToolWindow("FormScala", "Scala dell'immagine corretta", parent) {
    resize(375, 175);
    setFont(QFont("MS Sans Serif", 8));
    const QFont bold = LabelFont();
    auto label = [&](const QString& name, const QString& text, int x, int y, int w) {
        auto* l = new QLabel(text, Body());
        l->setObjectName(name);
        l->setGeometry(x, y, w, 18);
        return l;
    };
    Label1 = label("Label1", "Valore in metri di un pixel:", 8, 8, 240);
    Label1->setFont(bold);
    Edit1 = MakeEdit("Edit1", Body());
    Edit1->setGeometry(250, 8, 110, 20);
    Label2 = label("Label2", "Risoluzione immagine corretta (dpi):", 8, 34, 240);
    Label2->setFont(bold);
    Edit2 = MakeEdit("Edit2", Body(), "100");
    Edit2->setGeometry(250, 34, 110, 20);
    Label3 = label("Label3", "Dimensione immagine corretta (pi):", 8, 62, 240);
    Label6 = label("Label6", "", 250, 62, 120);
    Label6->hide();
    Label4 = label("Label4", "Dimensione immagine corretta (cm):", 8, 84, 240);
    Label7 = label("Label7", "", 250, 84, 120);
    Label7->hide();
    for (QLabel* l : {Label3, Label4}) l->setStyleSheet("color: navy");
    ProgressBar1 = AddProgressBar();
    StatusBar1 = AddStatusBar({200});
    Anteprima1 = AddCommand("Anteprima", "Anteprima1", this, &TFormScala::Anteprima1Click);
    Vek1 = AddCommand("Vek", "Vek1", this, &TFormScala::Vek1Click);
    Chiudi1 = AddCommand("Chiudi", "Chiudi1", this, &QWidget::hide);
    connect(Edit1, &QLineEdit::textChanged, this, &TFormScala::Edit1Change);
    connect(Edit2, &QLineEdit::textChanged, this, &TFormScala::Edit2Change);
}

ScaleInputs TFormScala::ReadScale() const {
    return {EditNumber(Edit1).value_or(0), EditNumber(Edit2).value_or(0)};
}

void TFormScala::ShowNoSize(QLineEdit* other, const QString& field) {
    ShowNoOutputSize(other, Label6, Label7, StatusBar1, field);
}

bool TFormScala::ShowOutputSize(long double s) {
    const AreaInputs a = FormLimiti->ReadArea();
    FpGuard guard;
    const OutputSize size = ComputeOutputSize(a.Xin, a.Yin, a.Xfin, a.Yfin, s);
    const long double w = std::fabs(a.Xfin - a.Xin), h = std::fabs(a.Yin - a.Yfin);
    if (guard.Faulted() || size.W < 0 || size.H < 0) {
        RefuseOutputSize(this);
        return false;
    }
    Label6->setText(QString("%1 x %2").arg(size.W).arg(size.H));
    Label7->setText(FixedText(w, 10, 3) + " x " + FixedText(h, 10, 3));
    Label6->show();
    Label7->show();
    Label6->repaint();
    Label7->repaint();
    return true;
}

void TFormScala::Edit1Change() {
    if (!Edit1->hasFocus()) return;
    const std::optional<long double> typed = PositiveEditNumber(Edit1);
    if (!typed) return ShowNoSize(Edit2, kPixelField);
    StatusBar1->SetPanel(0, QString());
    const long double s = *typed;
    FpGuard guard;
    const long double d = 2.54L / s;
    if (guard.Faulted() || !std::isfinite(d) || !ShowOutputSize(s)) return;
    Edit2->setText(FixedText(d, 10, 3));
    FormPrincipale->cb_scala->SetChecked(true);
    NormalizeEditDecimal(Edit1);
}

void TFormScala::Edit2Change() {
    if (!Edit2->hasFocus()) return;
    const std::optional<long double> typed = PositiveEditNumber(Edit2);
    if (!typed) return ShowNoSize(Edit1, kResolutionField);
    StatusBar1->SetPanel(0, QString());
    const long double d = *typed;
    FpGuard guard;
    const long double s = 2.54L / d;
    if (guard.Faulted() || s == 0 || !std::isfinite(s) || !ShowOutputSize(s)) return;
    SetNormalized(Edit1, FixedText(s, 12, 6));
    FormPrincipale->cb_scala->SetChecked(true);
}

void TFormScala::RepaintLabels() {
    for (QLabel* l : {Label1, Label2, Label3, Label4, Label6, Label7}) l->repaint();
}

void TFormScala::Anteprima1Click() {
    TFormPrincipale* main = FormPrincipale;
    if (!main->rb_an->Checked()) return;
    if (!main->cb_area->Checked()) {
        ShowNotice(NoticeNo::WrongOperation);
        return;
    }
    const std::optional<Projective> model = FormTabRes->Estimate(true);
    if (!model) return;
    RepaintLabels();
    PreviewRectification(*model, FormLimiti->ReadArea(), 1, 1, kMinPreviewSide, ProgressBar1,
                         StatusBar1);
}

void TFormScala::Vek1Click() {
    TFormPrincipale* main = FormPrincipale;
    if (!main->rb_an->Checked()) return;
    // Something typed that is no usable pixel size is named; nothing typed
    // is a step not done.
    if (!Edit1->text().isEmpty() && !RequirePositive(this, Edit1, kPixelField)) return;
    const long double s = ReadScale().pixelSize;
    if (!main->cb_scala->Checked() || s == 0 || main->cb_corr->Checked()) {
        ShowNotice(NoticeNo::CheckAllSteps);
        return;
    }
    // A failed estimation opens no window and leaves cb_corr unchecked, so
    // the rectification can run again once the data are put right.
    const std::optional<Projective> model = FormTabRes->Estimate(true);
    if (!model) return;
    RepaintLabels();
    RectifyIntoNewWindow(*model, FormLimiti->ReadArea(), s, 1, 1, ProgressBar1, StatusBar1);
}
