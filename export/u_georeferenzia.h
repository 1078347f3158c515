// The georeferencing window: the six lines of the world file.
#pragma once

#include <QLineEdit>

#include "platform/controls.h"

class TFormGeoreferenzia : public ToolWindow {
    Q_OBJECT
public:
    explicit TFormGeoreferenzia(QWidget* parent = nullptr);
    QLineEdit* Edit[7];  // Edit[1]..Edit[6]
};
