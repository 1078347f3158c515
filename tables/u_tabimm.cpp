#include "tables/u_tabimm.h"

#include <QHBoxLayout>

#include "app/u_forms.h"
#include "app/u_principale.h"
#include "tables/u_omnia_ui.h"

TFormTabImm::TFormTabImm(QWidget* parent)
    : ToolWindow("FormTabImm", "Tabella coordinate immagine (*.imm)", parent),
      OpenDialog1(FileDialog::Open, "(*.imm)|*.imm|tutti i file|*.*", ".imm", "imm"),
      SaveDialog1(FileDialog::Save, "(*.imm)|*.imm|tutti i file|*.*", ".imm", "imm") {
    resize(220, 330);
    StringGrid1 = MakeTableGrid(Body(), 3, 500, {44, 70, 70}, false);
    StringGrid1->SetRowSelect(true);
    StringGrid1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
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
    StatusBar1->AddPanel(2);
    StatusBar1->AddPanel(40);
    layout()->addWidget(StatusBar1);
    setFocusProxy(Edit1);
}

void TFormTabImm::CollimationBranch(Qt::MouseButtons held, int x, int y) {
    if (!(held & Qt::LeftButton) || !FormPrincipale->rb_collima->Checked()) return;
    Edit2->setText(QString::number(x));
    Edit3->setText(QString::number(y));
}
