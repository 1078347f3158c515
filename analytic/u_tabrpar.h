// The parameters window: p1..p8 (and k1, k2 when the lens is adjusted)
// with their variances.
#pragma once

#include "platform/controls.h"
#include "platform/statusbar.h"
#include "platform/stringgrid.h"

class TFormTabPar : public ToolWindow {
    Q_OBJECT
public:
    explicit TFormTabPar(QWidget* parent = nullptr);
    StringGrid* StringGrid1;
    StatusBar* StatusBar1;  // no panels

    // The options' width: 276 with the variances, 174 without, or wider
    // when the values need it.
    void ShowVariances(bool on);
    // After a fill: every column as wide as its values, and the window as
    // wide as the columns it shows.
    void FitToValues();
};
