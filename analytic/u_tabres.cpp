#include "analytic/u_tabres.h"

#include <algorithm>
#include <cmath>

#include "analytic/u_analitico.h"
#include "analytic/u_tabrpar.h"
#include "app/u_avviso.h"
#include "app/u_forms.h"
#include "app/u_opzioni.h"
#include "app/u_principale.h"
#include "platform/fonts.h"
#include "tables/u_chiavi.h"
#include "tables/u_omnia.h"
#include "tables/u_omnia_ui.h"
#include "tables/u_stringhe.h"
#include "tables/u_tabfot.h"
#include "view/u_immagine.h"
#include "view/u_vista.h"

namespace {
QString EstimationFailureText(EstimationStatus status, int points) {
    switch (status) {
        case EstimationStatus::TooFewPointsForLens:
            return QString(
                       "La distorsione radiale (k1, k2) richiede almeno %1 punti: la tabella "
                       "di unione ne ha %2 non esclusi.")
                .arg(MinDistortionPoints)
                .arg(points);
        case EstimationStatus::TooFewPoints:
            return "I punti della tabella di unione non determinano la trasformazione: "
                   "servono almeno quattro punti non esclusi.";
        case EstimationStatus::Singular:
            return "I punti della tabella di unione non determinano la trasformazione: "
                   "sono troppo pochi o tre di essi sono allineati.";
        case EstimationStatus::FloatingPointFault:
            return "Calcolo interrotto: divisione per zero, operazione non valida o "
                   "overflow nel calcolo dei parametri.";
        case EstimationStatus::NotConverged:
            return QString(
                       "La compensazione non converge: dopo %1 iterazioni le correzioni "
                       "non sono ancora trascurabili. Controllare i punti della tabella di "
                       "unione o scegliere \"stima lineare senza iterazioni\" nelle opzioni.")
                .arg(MaxAdjustmentIterations);
        case EstimationStatus::Ok:
            break;
    }
    return {};
}

// Panel 0 of the status bar: the steps the adjustment took.
QString IterationsText(const EstimationOutcome& outcome) {
    if (outcome.status != EstimationStatus::Ok || outcome.fit.iterations == 0) return {};
    return QString(" iterazioni: %1").arg(outcome.fit.iterations);
}
}  // namespace

TFormTabRes::TFormTabRes(QWidget* parent)
    : ToolWindow("FormTabRes", "Tabella dei residui", parent),
      SaveDialog1(FileDialog::Save, "(*.res)|*.res|tutti i file|*.*", ".res", "res"),
      ColorDialog1(Qt::cyan) {
    resize(355, 220);
    setFont(DesignFont());
    StringGrid1 = MakeTableGrid(Body(), 7, 500, {44, 70, 70, 70, 70, 70, 70}, false);
    StringGrid1->setCursor(Qt::PointingHandCursor);
    Edit1 = MakeEdit("Edit1", Body());
    Edit1->hide();
    StatusBar1 = AddStatusBar({200, 60});
    AddCommand("calcola parametri diretti", "calcolaparametridiretti1", this,
               &TFormTabRes::calcolaparametridiretti1Click);
    AddCommand("calcola parametri inversi", "calcolaparametriinversi1", this,
               &TFormTabRes::calcolaparametriinversi1Click);
    AddCommand("vedi parametri", "vediparametri1", this, &TFormTabRes::vediparametri1Click);
    AddCommand("disegna residui", "disegnaresidui1", this, &TFormTabRes::disegnaresidui1Click);
    AddCommand("salva residui", "salvaresidui1", this, &TFormTabRes::salvaresidui1Click);
    AddCommand("chiudi", "chiudi1", this, &TFormTabRes::chiudi1Click);
}

void TFormTabRes::ShowStandardised(bool on) {
    resize(std::max(on ? 497 : 355, StringGrid1->WidthForColumns(on ? 7 : 5)), height());
}

void TFormTabRes::FitToValues() {
    StringGrid1->FitColumnsToText();
    const bool standardised = FormOpzioni && FormOpzioni->cb_resstand->Checked();
    resize(std::max(width(), StringGrid1->WidthForColumns(standardised ? 7 : 5)), height());
}

std::optional<Projective> TFormTabRes::Estimate(bool inverse) {
    if (!FormPrincipale->cb_fot->Checked()) {
        ShowNotice(NoticeNo::LoadFot);
        return std::nullopt;
    }
    StringGrid& uni = *FormTabFot->StringGrid1;
    StringGrid& par = *FormTabPar->StringGrid1;
    if (!PointCellsReadable(this, uni, {1, 2, 3, 4})) return std::nullopt;
    if (FormOpzioni->cb_distorsione->Checked() && CleanBitmap.isNull()) {
        ShowErrorBox(this,
                     "La distorsione radiale si stima attorno al centro della fotografia: "
                     "aprire prima la fotografia.");
        return std::nullopt;
    }
    const AdjustmentOptions options = FormOpzioni->Adjustment();
    const EstimationOutcome outcome =
        inverse ? ComputeInverseParameters(uni, *StringGrid1, par, options)
                : ComputeDirectParameters(uni, *StringGrid1, par, options);
    StatusBar1->SetPanel(0, IterationsText(outcome));
    StringGrid1->Repaint();
    par.Repaint();
    FitToValues();
    FormTabPar->FitToValues();
    if (outcome.status != EstimationStatus::Ok) {
        ShowErrorBox(this, EstimationFailureText(outcome.status, outcome.points));
        return std::nullopt;
    }
    Edit1->setText(QString::fromStdString(outcome.unitVarianceText));
    StatusBar1->SetPanel(1, " sqm:  " + Edit1->text());
    return outcome.fit.transform;
}

void TFormTabRes::calcolaparametridiretti1Click() { Estimate(false); }

void TFormTabRes::calcolaparametriinversi1Click() { Estimate(true); }

// The parameters open beside the residuals, where neither hides the other.
void TFormTabRes::vediparametri1Click() {
    if (!FormTabPar->isVisible()) FormTabPar->PlaceBeside(this);
    FormTabPar->show();
}

void TFormTabRes::disegnaresidui1Click() {
    if (!FormPrincipale->cb_imm->Checked() || !ImageWindow) {
        ShowNotice(NoticeNo::NoImage);
        return;
    }
    ImageWindow->Image1->SetPicture(CleanBitmap);
    calcolaparametriinversi1Click();
    DrawResidualVectors();
}

// Each vector starts at the point's adjusted image position (its integer
// part, sign kept, so a point left of or above the picture is drawn where it
// is) and shows computed minus observed, magnified by the residual scale.
void TFormTabRes::DrawResidualVectors() {
    ImageControl* image = ImageWindow->Image1;
    const int n = CountPoints(*StringGrid1);
    const int k = FormOpzioni->SpinEdit2->value();
    Canvas& c = image->canvas();
    for (int r = 1; r <= n; ++r) {
        const long double x = std::trunc(TextToReal(StringGrid1->Cell(1, r)));
        const long double y = std::trunc(TextToReal(StringGrid1->Cell(2, r)));
        const long double tx = x + std::nearbyint(k * TextToReal(StringGrid1->Cell(3, r)));
        const long double ty = y + std::nearbyint(k * TextToReal(StringGrid1->Cell(4, r)));
        if (std::fabs(x) > 1e7 || std::fabs(y) > 1e7 || std::fabs(tx) > 1e7 || std::fabs(ty) > 1e7)
            continue;  // far off the picture: nothing to see, and no pixel index overflows
        c.penColor = ColorDialog1.Color;
        c.penWidth = 2;
        c.penStyle = PenStyle::Solid;
        c.penMode = PenMode::Copy;
        c.MoveTo(int(x), int(y));
        c.LineTo(int(tx), int(ty));
    }
    c.penWidth = 1;
    DrawImagePoints(*FormTabFot->StringGrid1, image, FormPrincipale->ColorDialog1.Color);
}

void TFormTabRes::salvaresidui1Click() { SaveTable(SaveDialog1, *StringGrid1, TableKey::Nxyxy); }

void TFormTabRes::chiudi1Click() { hide(); }
