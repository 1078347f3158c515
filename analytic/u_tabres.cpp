#include "analytic/u_tabres.h"

#include <algorithm>
#include <cmath>

#include "analytic/u_analitico.h"
#include "analytic/u_diagnosi.h"
#include "analytic/u_rapportocomp_ui.h"
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

// The steps the adjustment took, after the direction in panel 0.
QString IterationsText(const EstimationOutcome& outcome) {
    if (outcome.status != EstimationStatus::Ok || outcome.fit.iterations == 0) return {};
    return QString(", iterazioni %1").arg(outcome.fit.iterations);
}
}  // namespace

TFormTabRes::TFormTabRes(QWidget* parent)
    : ToolWindow("FormTabRes", "Tabella dei residui", parent),
      SaveDialog1(FileDialog::Save, "(*.res)|*.res|tutti i file|*.*", ".res", "res"),
      SaveDialog2(FileDialog::Save, "(*.pdf)|*.pdf|tutti i file|*.*", ".pdf", "pdf"),
      ColorDialog1(Qt::cyan) {
    resize(355, 220);
    setFont(DesignFont());
    StringGrid1 = MakeTableGrid(Body(), 7, 500, {44, 70, 70, 70, 70, 70, 70}, false);
    StringGrid1->setCursor(Qt::PointingHandCursor);
    Edit1 = MakeEdit("Edit1", Body());
    Edit1->hide();
    StatusBar1 = AddStatusBar({120, 60, 40});
    AddCommand("calcola parametri diretti", "calcolaparametridiretti1", this,
               &TFormTabRes::calcolaparametridiretti1Click);
    AddCommand("calcola parametri inversi", "calcolaparametriinversi1", this,
               &TFormTabRes::calcolaparametriinversi1Click);
    AddCommand("vedi parametri", "vediparametri1", this, &TFormTabRes::vediparametri1Click);
    AddCommand("disegna residui", "disegnaresidui1", this, &TFormTabRes::disegnaresidui1Click);
    AddCommand("salva residui", "salvaresidui1", this, &TFormTabRes::salvaresidui1Click);
    AddCommand("salva rapporto compensazione", "salvarapportocompensazione1", this,
               &TFormTabRes::salvarapportocompensazione1Click);
    AddCommand("chiudi", "chiudi1", this, &TFormTabRes::chiudi1Click);
}

void TFormTabRes::ShowStandardised(bool on) {
    resize(std::max(on ? 497 : 355, StringGrid1->WidthForColumns(on ? 7 : 5)), height());
}

void TFormTabRes::FitToValues() {
    StringGrid1->FitColumnsToText();
    const bool standardised = FormOpzioni && FormOpzioni->cb_resstand->Checked();
    // The direction and sqm panels show whole too; the test's line after
    // them takes what is left, and the whole of it is its tooltip.
    resize(
        std::max({width(), StringGrid1->WidthForColumns(standardised ? 7 : 5),
                  StatusBar1->WidthForPanels(2) + StatusBar1->PanelLabel(2)->minimumWidth() + 6}),
        height());
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
    ResetDiagnostics();
    const AdjustmentOptions options = FormOpzioni->Adjustment();
    const EstimationOutcome outcome =
        inverse ? ComputeInverseParameters(uni, *StringGrid1, par, options)
                : ComputeDirectParameters(uni, *StringGrid1, par, options);
    if (outcome.status == EstimationStatus::Ok) ShowDiagnostics(uni, outcome, inverse);
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
    FitToValues();  // the status panels as well as the columns
    return outcome.fit.transform;
}

void TFormTabRes::ShowDiagnostics(const IGrid& uni, const EstimationOutcome& outcome,
                                  bool inverse) {
    const ProjectiveFit& fit = outcome.fit;
    StatusBar1->SetPanel(0, QString(inverse ? " inversi" : " diretti") + IterationsText(outcome));
    const std::optional<long double> limit = FormOpzioni->OutlierLimit();
    if (!limit) {
        SetTestLine("valore critico non valido, nessun test");
    } else {
        const OutlierTest test = TestOutliers(fit, *limit);
        std::vector<std::string> names;
        for (int k = 0; k < static_cast<int>(test.flagged.size()); ++k) {
            names.push_back(StringGrid1->Cell(0, k + 1));
            StringGrid1->SetRowMarked(k + 1, test.flagged[k]);
        }
        SetTestLine(QString::fromStdString(OutlierSummaryText(test, names, *limit)));
    }
    if (const std::optional<CheckPoints> checks = EvaluateCheckPoints(uni, fit, inverse)) {
        WriteCheckPoints(*checks, ResidualUnits(inverse), *StringGrid1);
        const int first = CountPoints(*StringGrid1) + 1;
        const int m = CheckPointCount(*StringGrid1);
        if (m > 0) {
            StringGrid1->setSpan(first - 1, 0, 1, StringGrid1->ColCount());
            StringGrid1->setSpan(first + m, 0, 1, StringGrid1->ColCount());
        }
    }
}

void TFormTabRes::ResetDiagnostics() {
    StringGrid1->ClearRowMarks();
    StringGrid1->clearSpans();
    ClearCheckPoints(*StringGrid1);
    StatusBar1->SetPanel(0, "");
    SetTestLine("");
}

void TFormTabRes::SetTestLine(const QString& text) {
    StatusBar1->SetPanel(2, text.isEmpty() ? text : " " + text);
    StatusBar1->SetPanelToolTip(2, text);
}

bool TFormTabRes::HoldsInverse() const { return StatusBar1->Panel(0).startsWith(" inversi"); }

QString TFormTabRes::OutlierSummary() const { return StatusBar1->Panel(2).trimmed(); }

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

void TFormTabRes::salvarapportocompensazione1Click() {
    if (CountPoints(*StringGrid1) == 0 || Edit1->text().isEmpty()) {
        ShowErrorBox(this,
                     "Nessuna stima da riportare: calcolare prima i parametri diretti o "
                     "inversi.");
        return;
    }
    if (!SaveDialog2.Execute(this)) return;
    SaveAdjustmentReport(this, SaveDialog2.FileName, GatherAdjustmentReport());
}

void TFormTabRes::chiudi1Click() { hide(); }
