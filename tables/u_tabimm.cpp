#include "tables/u_tabimm.h"

#include "app/u_forms.h"
#include "app/u_pannello.h"
#include "app/u_principale.h"
#include "tables/u_omnia.h"
#include "tables/u_omnia_ui.h"
#include "tables/u_stringhe.h"
#include "view/u_immagine.h"
#include "view/u_vista.h"

namespace {

const char* const kNoImage = "nessuna immagine caricata";

long long IntOf(const QString& text) { return ParseInt(text.toStdString()); }

// Every mark goes: the source picture becomes its unmarked copy again.
void RestoreCleanPicture() {
    if (ImageWindow) ImageWindow->Image1->SetPicture(CleanBitmap);
}

void DrawTablePoints(const StringGrid& grid) {
    if (ImageWindow) DrawImagePoints(grid, ImageWindow->Image1, FormPrincipale->ColorDialog1.Color);
}

}  // namespace

TFormTabImm::TFormTabImm(QWidget* parent)
    : ToolWindow("FormTabImm", "Tabella coordinate immagine (*.imm)", parent),
      OpenDialog1(FileDialog::Open, "(*.imm)|*.imm|tutti i file|*.*", ".imm", "imm"),
      SaveDialog1(FileDialog::Save, "(*.imm)|*.imm|tutti i file|*.*", ".imm", "imm") {
    resize(220, 330);
    StringGrid1 = MakeTableGrid(Body(), 3, 500, {44, 70, 70}, false);
    StringGrid1->SetRowSelect(true);
    StringGrid1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    MakeEditRowAndStatusBar(this, Edit1, Edit2, Edit3, StatusBar1, {2, 40});
    setFocusProxy(Edit1);

    AddCommand("Inizia collimazione", "Iniziacollimazione1", this,
               &TFormTabImm::Iniziacollimazione1Click);
    AddCommand("Registra punto", "Registrapunto1", this, &TFormTabImm::Registrapunto1Click);
    AddCommand("Elimina punto", "Eliminapunto1", this, &TFormTabImm::Eliminapunto1Click);
    AddCommand("Edita punto", "Editapunto1", this, &TFormTabImm::Editapunto1Click);
    AddCommand("Reset tabella", "Resettabella1", this, &TFormTabImm::Resettabella1Click);
    AddCommand("Disegna punti", "Disegnapunti1", this, &TFormTabImm::Disegnapunti1Click);
    AddCommand("Esci", "Esci1", this, &TFormTabImm::Esci1Click);
    connect(StringGrid1, &StringGrid::MouseDown, this, &TFormTabImm::StringGrid1MouseDown);
}

bool TFormTabImm::ImageLoaded(const QString& missingText) const {
    if (FormPrincipale->cb_imm->Checked()) return true;
    FormPrincipale->StatusBar1->SetPanel(MainPanel::Result, missingText);
    return false;
}

void TFormTabImm::CollimationBranch(Qt::MouseButtons held, int x, int y) {
    if (!(held & Qt::LeftButton) || !FormPrincipale->rb_collima->Checked()) return;
    Edit2->setText(QString::number(x));
    Edit3->setText(QString::number(y));
    NoteNewPoint(Edit2);
}

void TFormTabImm::RedrawImagePoints() {
    StringGrid1->Repaint();
    RestoreCleanPicture();
    DrawTablePoints(*StringGrid1);
}

void TFormTabImm::Iniziacollimazione1Click() {
    if (!ImageLoaded(kNoImage)) return;
    FormPrincipale->rb_collima->SetChecked(true);
    StatusBar1->SetPanel(0, " collima punto");
    FormPrincipale->StatusBar1->SetPanel(MainPanel::Operation, " collimazione");
    Edit1->setText("1");  // the table stays: numbering simply starts again
}

void TFormTabImm::Registrapunto1Click() {
    if (!ImageLoaded(QString(" ") + kNoImage)) return;
    const bool collima = FormPrincipale->rb_collima->Checked();
    const bool edita = FormPrincipale->rb_edita->Checked();
    if (collima && !edita) {
        if (!TakeNewPoint(Edit2, *FormPrincipale->StatusBar1, MainPanel::Result)) return;
        const long long x = IntOf(Edit2->text()), y = IntOf(Edit3->text());
        if (Edit1->text().isEmpty()) Edit1->setText("?");
        AppendPixelPoint(*StringGrid1, FieldText(Edit1), x, y);
        RedrawImagePoints();
        // The next name counts on from the leading digits of this one.
        CountOnName(Edit1);
    } else if (collima && edita) {
        WritePressedRow(*StringGrid1, *StatusBar1, Edit1, Edit2, Edit3);
        RedrawImagePoints();
        FormPrincipale->rb_edita->SetChecked(false);
    }
    Edit1->setFocus();
}

void TFormTabImm::Eliminapunto1Click() {
    if (!ImageLoaded(kNoImage)) return;
    FormPrincipale->rb_elimina->SetChecked(true);
    StatusBar1->SetPanel(0, " elimina punto");
    FormPrincipale->StatusBar1->SetPanel(MainPanel::EditTool, " elimina punto");
}

void TFormTabImm::Editapunto1Click() {
    if (!ImageLoaded(kNoImage)) return;
    FormPrincipale->rb_edita->SetChecked(true);
    StatusBar1->SetPanel(0, " edita punto");
    FormPrincipale->StatusBar1->SetPanel(MainPanel::EditTool, " edita punto");
}

void TFormTabImm::StringGrid1MouseDown(Qt::MouseButton) {
    const int k = StringGrid1->Selection().top;
    if (FormPrincipale->rb_elimina->Checked()) {
        if (DeletePressedRow(*StringGrid1, *StatusBar1, k)) {
            RestoreCleanPicture();
            DrawTablePoints(*StringGrid1);
        }
        FormPrincipale->rb_elimina->SetChecked(false);
    }
    if (FormPrincipale->rb_edita->Checked())
        LoadPressedRow(*StringGrid1, *StatusBar1, k, Edit1, Edit2, Edit3);
    FormPrincipale->StatusBar1->SetPanel(MainPanel::EditTool, "");
}

void TFormTabImm::Resettabella1Click() {
    if (!ImageLoaded(kNoImage)) return;
    ClearTable(*StringGrid1);
    StringGrid1->Repaint();
    RestoreCleanPicture();
    Edit1->setText("1");
    FormPrincipale->rb_collima->SetChecked(false);
    FormPrincipale->StatusBar1->SetPanel(MainPanel::Operation, "");
}

void TFormTabImm::Disegnapunti1Click() {
    if (!ImageLoaded(kNoImage)) return;
    RestoreCleanPicture();
    DrawTablePoints(*StringGrid1);
}

void TFormTabImm::Esci1Click() { hide(); }
