// The preview window: one picture, filled by the scale and ratio dialogs.
#pragma once

#include "platform/imagecontrol.h"

class TFormAnteprima : public QWidget {
    Q_OBJECT
public:
    explicit TFormAnteprima(QWidget* parent = nullptr);
    ImageControl* Image1;
};
