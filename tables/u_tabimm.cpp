#include "tables/u_tabimm.h"

#include "app/u_forms.h"
#include "app/u_pannello.h"
#include "app/u_principale.h"
#include "tables/u_omnia.h"
#include "tables/u_stringhe.h"
#include "view/u_immagine.h"
#include "view/u_vista.h"

namespace {
const char* const kNoImage = "nessuna immagine caricata";
}  // namespace

TFormTabImm::TFormTabImm(QWidget* parent)
    : PointTableWindow("FormTabImm", "Tabella coordinate immagine (*.imm)",
                       {{220, 330}, 500, {44, 70, 70}, {2, 40}, true}, parent),
      OpenDialog1(FileDialog::Open, "(*.imm)|*.imm|tutti i file|*.*", ".imm", "imm"),
      SaveDialog1(FileDialog::Save, "(*.imm)|*.imm|tutti i file|*.*", ".imm", "imm") {
    AddCommand("Disegna punti", "Disegnapunti1", this, &TFormTabImm::Disegnapunti1Click);
    AddCommand("Esci", "Esci1", this, &TFormTabImm::Esci1Click);
}

bool TFormTabImm::Ready(const QString& lead) const {
    if (FormPrincipale->cb_imm->Checked()) return true;
    FormPrincipale->StatusBar1->SetPanel(MainPanel::Result, lead + kNoImage);
    return false;
}

RadioButton* TFormTabImm::CollimationMode() const { return FormPrincipale->rb_collima; }

void TFormTabImm::AppendPending(const std::string& name) {
    AppendPixelPoint(*StringGrid1, name, ParseInt(FieldText(Edit2)), ParseInt(FieldText(Edit3)));
}

// Every mark goes: the source picture becomes its unmarked copy again.
void TFormTabImm::RestorePicture() {
    if (ImageWindow) ImageWindow->Image1->SetPicture(CleanBitmap);
}

void TFormTabImm::DrawPoints() {
    if (ImageWindow)
        DrawImagePoints(*StringGrid1, ImageWindow->Image1, FormPrincipale->ColorDialog1.Color);
}

void TFormTabImm::CollimationBranch(Qt::MouseButtons held, int x, int y) {
    if (!(held & Qt::LeftButton) || !FormPrincipale->rb_collima->Checked()) return;
    TakeClickedPoint(QString::number(x), QString::number(y));
}

void TFormTabImm::Iniziacollimazione1Click() {
    if (!Ready("")) return;
    FormPrincipale->rb_collima->SetChecked(true);
    StatusBar1->SetPanel(0, " collima punto");
    FormPrincipale->StatusBar1->SetPanel(MainPanel::Operation, " collimazione");
    Edit1->setText("1");  // the table stays: numbering simply starts again
}

void TFormTabImm::Resettabella1Click() {
    if (!Ready("")) return;
    ClearTable(*StringGrid1);
    StringGrid1->Repaint();
    RestorePicture();
    Edit1->setText("1");
    FormPrincipale->rb_collima->SetChecked(false);
    FormPrincipale->StatusBar1->SetPanel(MainPanel::Operation, "");
}

void TFormTabImm::Disegnapunti1Click() {
    if (!Ready("")) return;
    RestorePicture();
    DrawPoints();
}

void TFormTabImm::Esci1Click() { hide(); }
