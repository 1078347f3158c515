// The resampling area window: Xin, Yin, Xfin, Yfin and the four corners.
#pragma once

#include <QLineEdit>

#include "platform/controls.h"
#include "platform/statusbar.h"

class TFormLimiti : public ToolWindow {
    Q_OBJECT
public:
    explicit TFormLimiti(QWidget* parent = nullptr);
    QLineEdit* Edit[13];  // Edit[1]..Edit[12]; 5..12 hidden (corners)
    StatusBar* StatusBar1;
};
