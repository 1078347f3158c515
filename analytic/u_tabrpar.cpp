#include "analytic/u_tabrpar.h"

#include "tables/u_omnia_ui.h"

// 142 wide as designed: name and value; the options window widens it to show
// the variances or narrows it back.
TFormTabPar::TFormTabPar(QWidget* parent) : ToolWindow("FormTabPar", "Tabella dei parametri", parent) {
    resize(142, 206);
    StringGrid1 = MakeTableGrid(Body(), 3, 9, {31, 100, 100}, false);
    StringGrid1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    StringGrid1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    StatusBar1 = AddStatusBar({});
    AddCommand("Chiudi", "Chiudi1", this, &QWidget::hide);
}
