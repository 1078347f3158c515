#include "analytic/u_tabrpar.h"

#include "tables/u_omnia_ui.h"

TFormTabPar::TFormTabPar(QWidget* parent) : ToolWindow("FormTabPar", "Tabella dei parametri", parent) {
    resize(174, 206);
    StringGrid1 = MakeTableGrid(Body(), 3, 9, {31, 100, 100}, false);
    StringGrid1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    StringGrid1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    AddCommand("Chiudi", "Chiudi1", this, &QWidget::hide);
}
