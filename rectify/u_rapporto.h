// The ratio dialog of the geometric method: measured width and height.
#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>

#include "platform/controls.h"
#include "platform/statusbar.h"

class TFormRapporto : public ToolWindow {
    Q_OBJECT
public:
    explicit TFormRapporto(QWidget* parent = nullptr);
    QLineEdit *Edit1, *Edit2, *Edit3, *Edit4, *Edit5, *Edit6, *Edit7, *Edit8;
    QLabel *Label9, *Label11;  // size in pixels and in centimetres, hidden until computed
    QLineEdit* EditEnds[8];    // Edit11..Edit18, the ends of the two measures (hidden)
    StatusBar* StatusBar1;
    QProgressBar* ProgressBar1;
};
