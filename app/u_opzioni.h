// The options of the run: lens factor, mark colours, residual scale,
// navigator speed, the widths of the result windows and how the analytic
// estimations adjust. Nothing is saved.
#pragma once

#include <QCheckBox>
#include <QLineEdit>
#include <QSpinBox>
#include <optional>

#include "analytic/u_analitico.h"
#include "platform/controls.h"
#include "platform/statusbar.h"

class TFormOpzioni : public ToolWindow {
    Q_OBJECT
public:
    explicit TFormOpzioni(QWidget* parent = nullptr);
    QSpinBox* SpinEdit1;               // zoom factor 1..10
    QSpinBox* SpinEdit2;               // residual scale 1..99
    QSpinBox* SpinEdit3;               // glide speed 1..50
    QLineEdit *Edit1, *Edit2, *Edit3;  // colour swatches
    CheckBox *cb_resstand, *cb_varcovar;
    CheckBox* cb_lineare;      // "stima lineare senza iterazioni"
    CheckBox* cb_distorsione;  // "distorsione radiale (k1, k2)"
    QLineEdit* Edit4;          // critical value of the standardised residuals' test
    // Edit4 read as typed; nothing when it is not a positive number.
    std::optional<long double> OutlierLimit() const;
    StatusBar* StatusBar1;

    // How the analytic estimations adjust, as the check boxes say now; the
    // lens about the centre of the open photograph (ordinates upwards for
    // the area's extent).
    AdjustmentOptions Adjustment(bool upward = false) const;

public slots:
    void Edit1Click();
    void Edit2Click();
    void Edit3Click();
    void cb_resstandClick();
    void cb_varcovarClick();
    void Chiudi1Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

void SetSwatch(QLineEdit* swatch, const QColor& c);
QColor SwatchColor(const QLineEdit* swatch);
