#include "analytic/u_tabrpar.h"

#include <algorithm>

#include "app/u_forms.h"
#include "app/u_opzioni.h"
#include "tables/u_omnia_ui.h"

// 142 wide as designed, showing names and values; the options window widens
// it to show the variances or narrows it back, and only then is the variance
// column there, so that none shows cut. Values too long for those widths
// widen the window instead of being cut.
TFormTabPar::TFormTabPar(QWidget* parent)
    : ToolWindow("FormTabPar", "Tabella dei parametri", parent) {
    resize(142, 206);
    StringGrid1 = MakeTableGrid(Body(), 3, 9, {31, 100, 100}, false);
    StringGrid1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    StringGrid1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    StringGrid1->setColumnHidden(2, true);  // the variances wait for the option
    StatusBar1 = AddStatusBar({});
    AddCommand("Chiudi", "Chiudi1", this, &QWidget::hide);
}

void TFormTabPar::ShowVariances(bool on) {
    StringGrid1->setColumnHidden(2, !on);
    StringGrid1->FitColumnsToText();
    resize(std::max(on ? 276 : 174, StringGrid1->WidthForColumns(on ? 3 : 2)), height());
}

void TFormTabPar::FitToValues() {
    // Rows 9 and 10 hold k1 and k2 when the lens was adjusted.
    const bool lens = !StringGrid1->Cell(0, 9).empty();
    StringGrid1->SetRowCount(lens ? 11 : 9);
    resize(width(), lens ? 206 + 2 * 16 : 206);
    StringGrid1->FitColumnsToText();
    const bool variances = FormOpzioni && FormOpzioni->cb_varcovar->Checked();
    resize(std::max(width(), StringGrid1->WidthForColumns(variances ? 3 : 2)), height());
}
