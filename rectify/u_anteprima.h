// The preview window (one picture, filled by the scale and ratio dialogs),
// the preview those dialogs share and their refusal of a pixel size.
#pragma once

#include "analytic/u_proiettiva.h"
#include "platform/imagecontrol.h"
#include "view/u_limiti.h"

class QLabel;
class QLineEdit;
class QProgressBar;
class QWidget;
class StatusBar;

class TFormAnteprima : public QWidget {
    Q_OBJECT
public:
    explicit TFormAnteprima(QWidget* parent = nullptr);
    ImageControl* Image1;
    // While on, the picture and the window take the picture's size.
    void SetAutoSize(bool on);
};

// The preview pixel size: the area's longer side, after the factors, makes
// 300 pixels: max(|(Xfin - Xin) * fx|, |(Yin - Yfin) * fy|) / 300.
long double PreviewPixelSize(const AreaInputs& area, long double fx, long double fy);

// The area resampled by nearest sampling at PreviewPixelSize into the preview
// window, through `model` (object -> image), with the dialog's progress bar
// shown in place of its status bar meanwhile. The preview window is shown
// when both sides of the preview exceed minSide pixels; otherwise notice
// "16" (an area of no extent included).
void PreviewRectification(const Projective& model, const AreaInputs& area, long double fx,
                          long double fy, int minSide, QProgressBar* bar, StatusBar* status);

// The message box of both dialogs for a pixel size whose output size cannot
// be represented.
void RefuseOutputSize(QWidget* dialog);

// Both dialogs while their typed field holds no usable value: the other
// field and the size labels show nothing, the dialog's status bar names the
// field, and the scale is no longer defined (cb_scala unchecked).
void ShowNoOutputSize(QLineEdit* other, QLabel* pixels, QLabel* metres, StatusBar* status,
                      const QString& field);
