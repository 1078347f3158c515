// The residuals window: starts the estimations, shows the residuals and
// draws the residual vectors on the photograph.
#pragma once

#include <QLineEdit>

#include "analytic/u_matrici.h"
#include "platform/controls.h"
#include "platform/dialogs.h"
#include "platform/statusbar.h"
#include "platform/stringgrid.h"

class TFormTabRes : public ToolWindow {
    Q_OBJECT
public:
    explicit TFormTabRes(QWidget* parent = nullptr);
    StringGrid* StringGrid1;
    StatusBar* StatusBar1;
    QLineEdit* Edit1;  // hidden: the unit variance text
    FileDialog SaveDialog1;
    ColorDialog ColorDialog1;

    // The estimation of "calcola parametri diretti" / "inversi" with its
    // notice, tables and message box; p receives p1 .. p8 (rows 1 .. 8 of
    // column 1). True when the parameters were estimated.
    bool Estimate(bool inverse, Matrix& p);

public slots:
    void calcolaparametridiretti1Click();
    void calcolaparametriinversi1Click();
    void vediparametri1Click();
    void disegnaresidui1Click();
    void salvaresidui1Click();
    void chiudi1Click();

private:
    void DrawResidualVectors();
};
