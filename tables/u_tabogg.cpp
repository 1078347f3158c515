#include "tables/u_tabogg.h"

#include "tables/u_chiavi.h"
#include "tables/u_omnia.h"
#include "tables/u_omnia_ui.h"

TFormTabOgg::TFormTabOgg(QWidget* parent)
    : ToolWindow("FormTabOgg", "Tabella coordinate oggetto (*.ogg)", parent),
      OpenDialog1(FileDialog::Open, "(*.ogg)|*.ogg|tutti i file|*.*", ".ogg", "ogg"),
      SaveDialog1(FileDialog::Save, "(*.ogg)|*.ogg|tutti i file|*.*", ".ogg", "ogg") {
    resize(230, 330);
    StringGrid1 = MakeTableGrid(Body(), 3, 500, {47, 70, 70}, true);
    StatusBar1 = AddStatusBar({100});
    AddCommand("Carica file ogg", "Caricafileogg1", this, &TFormTabOgg::Caricafileogg1Click);
    AddCommand("Salva file ogg", "Salvafileogg1", this, &TFormTabOgg::Salvafileogg1Click);
    AddCommand("Reset tabella", "Resettabella1", this, &TFormTabOgg::Resettabella1Click);
    AddCommand("Chiudi", "Chiudi1", this, &TFormTabOgg::Chiudi1Click);
}

void TFormTabOgg::Caricafileogg1Click() { LoadTable(OpenDialog1, *StringGrid1, TableKey::Nxy1); }

void TFormTabOgg::Salvafileogg1Click() { SaveTable(SaveDialog1, *StringGrid1, TableKey::Nxy); }

void TFormTabOgg::Resettabella1Click() { ClearTable(*StringGrid1); }

void TFormTabOgg::Chiudi1Click() { hide(); }
