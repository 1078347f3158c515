// The residuals window: starts the estimations, shows the residuals and
// draws the residual vectors on the photograph.
#pragma once

#include <QLineEdit>
#include <optional>

#include "analytic/u_analitico.h"
#include "analytic/u_proiettiva.h"
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
    FileDialog SaveDialog2;  // the adjustment report
    ColorDialog ColorDialog1;

    // The options' width: 497 with the standardised residuals, 355 without,
    // or wider when the values need it.
    void ShowStandardised(bool on);
    // After a fill: every column as wide as its values, and the window as
    // wide as the columns it shows; a narrower window scrolls.
    void FitToValues();
    // The estimation of "calcola parametri diretti" / "inversi" with its
    // notice, tables and message box: the transformation, or nothing when it
    // could not be estimated.
    std::optional<Projective> Estimate(bool inverse);
    // Panel 0 tells the direction last computed and the adjustment's steps
    // (" inversi, iterazioni 3"), panel 2 the outlier test's result.
    bool HoldsInverse() const;
    // Marks, check points and panel 0 gone, as before any estimation.
    void ResetDiagnostics();
    QString OutlierSummary() const;

public slots:
    void calcolaparametridiretti1Click();
    void calcolaparametriinversi1Click();
    void vediparametri1Click();
    void disegnaresidui1Click();
    void salvaresidui1Click();
    void salvarapportocompensazione1Click();
    void chiudi1Click();

private:
    void DrawResidualVectors();
    void SetTestLine(const QString& text);
    // The outlier marks, the test's line in panel 0 and the check points
    // below the adjusted ones, after a successful estimation.
    void ShowDiagnostics(const IGrid& uni, const EstimationOutcome& outcome, bool inverse);
};
