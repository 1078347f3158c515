// The image table: collimated points with their pixel column and row.
#pragma once

#include <QLineEdit>

#include "platform/controls.h"
#include "platform/dialogs.h"
#include "platform/statusbar.h"
#include "platform/stringgrid.h"

class TFormTabImm : public ToolWindow {
    Q_OBJECT
public:
    explicit TFormTabImm(QWidget* parent = nullptr);
    StringGrid* StringGrid1;
    QLineEdit *Edit1, *Edit2, *Edit3;
    StatusBar* StatusBar1;
    FileDialog OpenDialog1;
    FileDialog SaveDialog1;

    // The collimation branch of the source image's press: with the left
    // button held and rb_collima checked, the pressed pixel goes into Edit2
    // and Edit3 (plain row, no flip).
    void CollimationBranch(Qt::MouseButtons held, int x, int y);
};
