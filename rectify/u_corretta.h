// The rectified image window: the resampled picture at one screen pixel per
// picture pixel, with the object coordinates under the pointer, the lens,
// panning and the distance measure; and the rectification that creates it.
#pragma once

#include <QFrame>
#include <QScrollArea>

#include "analytic/u_proiettiva.h"
#include "platform/imagecontrol.h"
#include "view/u_limiti.h"

class QProgressBar;
class StatusBar;

class TFormCorretta : public QScrollArea {
    Q_OBJECT
public:
    explicit TFormCorretta(QWidget* parent = nullptr);
    ImageControl* Image1;  // the rectified picture, cross-hair cursor
    QFrame* Panel1;        // the lens panel, 103 x 103, hidden
    ImageControl* Image2;  // the lens picture, 99 x 99
};

// The rectification both dialogs run once their inputs are checked: a new
// rectified image window (caption: the source window's followed by "  ric")
// filled with the area resampled through `model` (object -> image) at pixel
// size s and factors fx, fy, by the interpolation checked in the main menu;
// the dialog's progress bar stands in for its status bar meanwhile. Then
// CleanRectified, cb_corr and the rectified image's menu items. When the
// output cannot be made (a message box says why) no window stays and cb_corr
// is unchecked. True when the window is open.
bool RectifyIntoNewWindow(const Projective& model, const AreaLimits& area, long double s,
                          long double fx, long double fy, QProgressBar* bar, StatusBar* status);
