#include "export/U_tabptidxf.h"

#include <QHBoxLayout>

#include "tables/u_omnia_ui.h"

TFormTabPtiDxf::TFormTabPtiDxf(QWidget* parent)
    : ToolWindow("FormTabPtiDxf", "Tabella costruzione dxf", parent),
      SaveDialog1(FileDialog::Save),
      ColorDialog1(Qt::blue) {
    resize(240, 330);
    StringGrid1 = MakeTableGrid(Body(), 3, 5000, {43, 80, 85}, false);
    auto* panel = new QWidget(Body());
    auto* row = new QHBoxLayout(panel);
    row->setContentsMargins(2, 2, 2, 2);
    Edit1 = MakeEdit("Edit1", panel);
    Edit2 = MakeEdit("Edit2", panel);
    Edit3 = MakeEdit("Edit3", panel);
    for (QLineEdit* e : {Edit1, Edit2, Edit3}) row->addWidget(e);
    Body()->layout()->addWidget(panel);
    StatusBar1 = new StatusBar(this);
    StatusBar1->setObjectName("StatusBar1");
    StatusBar1->AddPanel(100);
    layout()->addWidget(StatusBar1);
}
