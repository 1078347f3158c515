// The parallel-lines window: the two families of lines and their vanishing points.
#pragma once

#include <QLineEdit>

#include "platform/controls.h"
#include "platform/statusbar.h"
#include "platform/stringgrid.h"

class TFormGeom : public ToolWindow {
    Q_OBJECT
public:
    explicit TFormGeom(QWidget* parent = nullptr);
    QLineEdit *Edit1, *Edit2, *Edit3, *Edit4, *Edit5, *Edit6;
    StringGrid* StringGrid1;  // vertical lines (never shown)
    StringGrid* StringGrid2;  // horizontal lines (never shown)
    StatusBar* StatusBar1;
};
