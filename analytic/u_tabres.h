// The residuals window: starts the estimations and shows the residuals.
#pragma once

#include <QLineEdit>

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
};
