// The DXF point table: name, object X and Y of points picked on the rectified image.
#pragma once

#include <QLineEdit>

#include "platform/controls.h"
#include "platform/dialogs.h"
#include "platform/statusbar.h"
#include "platform/stringgrid.h"

class TFormTabPtiDxf : public ToolWindow {
    Q_OBJECT
public:
    explicit TFormTabPtiDxf(QWidget* parent = nullptr);
    StringGrid* StringGrid1;
    QLineEdit *Edit1, *Edit2, *Edit3;
    StatusBar* StatusBar1;
    FileDialog SaveDialog1;
    ColorDialog ColorDialog1;
};
