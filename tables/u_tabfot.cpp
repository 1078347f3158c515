#include "tables/u_tabfot.h"

#include "app/u_forms.h"
#include "app/u_principale.h"
#include "tables/u_chiavi.h"
#include "tables/u_omnia.h"
#include "tables/u_omnia_ui.h"
#include "tables/u_tabimm.h"
#include "tables/u_tabogg.h"

TFormTabFot::TFormTabFot(QWidget* parent)
    : ToolWindow("FormTabFot", "Tabella coordinate unione (*.fot)", parent),
      OpenDialog1(FileDialog::Open, "(*.fot)|*.fot|tutti i file|*.*", ".fot", "fot"),
      SaveDialog1(FileDialog::Save, "(*.fot)|*.fot|tutti i file|*.*", ".fot", "fot") {
    resize(380, 330);
    StringGrid1 = MakeTableGrid(Body(), 6, 500, {39, 70, 70, 70, 70, 25}, true);
    StatusBar1 = AddStatusBar({80});
    AddCommand("Crea file fot", "Creafilefot1", this, &TFormTabFot::Creafilefot1Click);
    AddCommand("Carica file fot", "CAricafilefot1", this, &TFormTabFot::CAricafilefot1Click);
    AddCommand("Salva file fot", "Salvafilefot1", this, &TFormTabFot::Salvafilefot1Click);
    AddCommand("Reset tabella", "resettabella1", this, &TFormTabFot::resettabella1Click);
    AddCommand("Chiudi", "Chiudi1", this, &TFormTabFot::Chiudi1Click);
}

void TFormTabFot::ApplyFotRule() {
    // Row 4 counts only as part of the table: text typed below a gap is no point.
    if (CountPoints(*StringGrid1) >= 4) FormPrincipale->cb_fot->SetChecked(true);
}

void TFormTabFot::LoadUnionTable() {
    // The load empties the whole grid, so no mark typed earlier survives it.
    LoadTable(OpenDialog1, *StringGrid1, TableKey::Nxyxy);
    ApplyFotRule();
}

void TFormTabFot::Creafilefot1Click() {
    // Text typed below the old table would join the new one if the build
    // filled the rows up to it: nothing of the old grid survives a build.
    ClearGrid(*StringGrid1);
    BuildUnionTable(*FormTabImm->StringGrid1, *FormTabOgg->StringGrid1, *StringGrid1);
    FitGridWindow(*StringGrid1);
    ApplyFotRule();
}

void TFormTabFot::CAricafilefot1Click() { LoadUnionTable(); }

void TFormTabFot::Salvafilefot1Click() { SaveTable(SaveDialog1, *StringGrid1, TableKey::Nxyxy); }

void TFormTabFot::resettabella1Click() {
    ClearTable(*StringGrid1);
    FormPrincipale->cb_fot->SetChecked(false);
}

void TFormTabFot::Chiudi1Click() { hide(); }
