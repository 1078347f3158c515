// The DXF creation window.
#pragma once

#include "platform/controls.h"

class TFormDxf : public ToolWindow {
    Q_OBJECT
public:
    explicit TFormDxf(QWidget* parent = nullptr);
};
