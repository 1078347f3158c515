// What the source and the rectified image windows share: the picture at its
// zoom (one screen pixel per picture pixel when opened) in a scrolling child
// of the main window, zooming and fitting, the wheel, the lens, panning by
// right-button drag, the rubber band and the mouse-up ending. A window adds its pointer readout,
// the click branches of its pointer modes, its own release step and its close sequence.
#pragma once

#include <QFrame>
#include <QScrollArea>

class QWheelEvent;

#include "platform/imagecontrol.h"

class ImageWindowBase : public QScrollArea {
    Q_OBJECT
public:
    // The window is freed when it closes; Image1 has the cross-hair cursor
    // and sizes itself to its picture.
    ImageWindowBase(const QString& objectName, QWidget* parent = nullptr);
    ImageControl* Image1;  // the picture
    QFrame* Panel1;        // the lens panel, 103 x 103, hidden and disabled
    ImageControl* Image2;  // the lens picture, 99 x 99

    // The picture at zoom z; the picture point under viewport point `anchor`
    // stays where it is (the view's centre without an anchor).
    void SetZoom(Zoom z, QPoint anchor);
    void SetZoom(Zoom z);
    // "Ingrandisci" (direction > 0) and "Riduci": the next zoom step.
    void ZoomStep(int direction);
    // "Adatta alla finestra": the whole picture in the window, no scroll bar.
    void FitToWindow();

public slots:
    // The lens (right button in zoom mode), then ClickBranches.
    void Image1MouseDown(Qt::MouseButton button, Qt::MouseButtons held, int x, int y);
    // Readout, lens, pan by half the pointer's travel, rubber band.
    void Image1MouseMove(Qt::MouseButtons held, int x, int y);
    // Lens hidden, cursor back to the cross-hair, then Released.
    void Image1MouseUp(Qt::MouseButton button, Qt::MouseButtons held, int x, int y);
    // The window's close sequence, run by every close of the window.
    virtual void FormClose() = 0;

protected:
    // The pointer readout in the main status bar.
    virtual void ShowPointer(int x, int y) = 0;
    // True in the pointer modes whose rubber band follows the pointer.
    virtual bool BandFollowsPointer() const = 0;
    // The click branches of the pointer modes, in the window's fixed order.
    virtual void ClickBranches(Qt::MouseButton button, Qt::MouseButtons held, int x, int y) = 0;
    // What a release does beyond hiding the lens.
    virtual void Released(Qt::MouseButton, Qt::MouseButtons, int, int) {}
    // Asked before a close by the window's close button or a command; false
    // keeps the window open.
    virtual bool MayClose() { return true; }
    void closeEvent(QCloseEvent* e) override;
    // Ctrl+wheel zooms about the pointer, Shift+wheel scrolls across, the
    // wheel alone up and down.
    void wheelEvent(QWheelEvent* e) override;

private:
    QPoint lastPoint_;  // the pointer on the zoomed picture at the last move
    void ShowLensAt(int x, int y);
};

// The picture window the zoom commands act on: the active child of the main
// window when it is one, else the source image window (none without one).
ImageWindowBase* ActivePictureWindow();
