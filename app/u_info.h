// The information window: program name and credits.
#pragma once

#include "platform/controls.h"

class TFormInfo : public ToolWindow {
    Q_OBJECT
public:
    explicit TFormInfo(QWidget* parent = nullptr);
};
