// The parameters window: p1..p8 with their variances.
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
};
