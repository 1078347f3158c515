// The scale dialog of the analytic method: pixel size or resolution.
#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>

#include "platform/controls.h"
#include "platform/statusbar.h"

class TFormScala : public ToolWindow {
    Q_OBJECT
public:
    explicit TFormScala(QWidget* parent = nullptr);
    QLabel *Label1, *Label2, *Label3, *Label4, *Label6, *Label7;
    QLineEdit *Edit1, *Edit2;
    StatusBar* StatusBar1;
    QProgressBar* ProgressBar1;
};
