#include "analytic/u_tabres.h"

#include "tables/u_omnia_ui.h"

TFormTabRes::TFormTabRes(QWidget* parent)
    : ToolWindow("FormTabRes", "Tabella dei residui", parent),
      SaveDialog1(FileDialog::Save, "(*.res)|*.res|tutti i file|*.*", ".res", "res"),
      ColorDialog1(Qt::cyan) {
    resize(355, 220);
    setFont(QFont("MS Sans Serif", 8));
    StringGrid1 = MakeTableGrid(Body(), 7, 500, {44, 70, 70, 70, 70, 70, 70}, false);
    StringGrid1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    StringGrid1->setCursor(Qt::PointingHandCursor);
    Edit1 = MakeEdit("Edit1", Body());
    Edit1->hide();
    StatusBar1 = new StatusBar(this);
    StatusBar1->setObjectName("StatusBar1");
    StatusBar1->AddPanel(200);
    StatusBar1->AddPanel(60);
    layout()->addWidget(StatusBar1);
}
