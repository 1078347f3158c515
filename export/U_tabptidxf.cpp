#include "export/U_tabptidxf.h"

#include "tables/u_omnia_ui.h"

TFormTabPtiDxf::TFormTabPtiDxf(QWidget* parent)
    : ToolWindow("FormTabPtiDxf", "Tabella costruzione dxf", parent),
      SaveDialog1(FileDialog::Save),
      ColorDialog1(Qt::blue) {
    resize(240, 330);
    StringGrid1 = MakeTableGrid(Body(), 3, 5000, {43, 80, 85}, false);
    StringGrid1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    MakeEditRowAndStatusBar(this, Edit1, Edit2, Edit3, StatusBar1, {100});
}
