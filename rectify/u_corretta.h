// The rectified image window: the resampled picture in the shared image
// window, with the object coordinates under the pointer, the DXF point
// picking and the distance measure; the rectification that creates it and
// the two ways it closes.
//
// The object coordinates of its pixels are those of the method's
// RectifiedFrame (rectify/u_riferimento.h). The readout and the distance show three decimals, with
// eight and ten significant digits at least and as many more as the integer part needs.
#pragma once

#include <array>
#include <optional>

#include "analytic/u_proiettiva.h"
#include "rectify/u_riferimento.h"
#include "view/u_finestra.h"
#include "view/u_limiti.h"

class QProgressBar;
class StatusBar;

// The ends of the distance being measured (object units) and the last
// distance measured.
extern std::array<PlanePoint, 2> DistanceEnds;
extern long double MeasuredDistance;

// The frame of the checked method for a rectified picture `height` rows
// high, read from the area window and the method's dialog at the moment of
// the call; none without a method.
std::optional<RectifiedFrame> CurrentRectifiedFrame(int height);

class TFormCorretta : public ImageWindowBase {
    Q_OBJECT
public:
    explicit TFormCorretta(QWidget* parent = nullptr);

public slots:
    // CleanRectified and the window released, cb_corr unchecked, the
    // rectified image's menu items disabled, the georeferencing window and
    // the DXF points emptied, the pointer panels cleared.
    void FormClose() override;

protected:
    void ShowPointer(int x, int y) override;
    bool BandFollowsPointer() const override;
    void ClickBranches(Qt::MouseButton button, Qt::MouseButtons held, int x, int y) override;
    void Released(Qt::MouseButton button, Qt::MouseButtons held, int x, int y) override;
    // The close button asks what the menu's "Chiudi" asks; the answer closes.
    bool MayClose() override;

private:
    void FirstDistanceEnd(Qt::MouseButtons held, int x, int y);
    void SecondDistanceEnd(Qt::MouseButtons held, int x, int y);
};

// The rectification both dialogs run once their inputs are checked: a new
// rectified image window (caption: the source window's followed by "  ric")
// filled with the area resampled through `model` (object -> image) at pixel
// size s and factors fx, fy, by the interpolation checked in the main menu;
// the dialog's progress bar stands in for its status bar meanwhile. Then
// CleanRectified, cb_corr and the rectified image's menu items. When the
// output cannot be made (a message box says why) no window stays and cb_corr
// is unchecked. True when the window is open.
bool RectifyIntoNewWindow(const Projective& model, const AreaInputs& area, long double s,
                          long double fx, long double fy, QProgressBar* bar, StatusBar* status);

// "Chiudi corretta", the answer to notice "18": refuses with notice "2" when
// no rectified image is open; otherwise releases it without its close
// handler, unchecks cb_corr, disables "Dxf", empties the georeferencing
// window and the DXF points, clears the pointer panels and closes the notice
// window.
void CloseRectifiedImage();
