// Clicks on a picture of the sample facade as a user's mouse makes them, for
// the end-to-end roads and the screenshot scenes: the pointer's move, then
// the left press and release, sent to the picture itself wherever the window
// system's cursor is.
#pragma once

#include <QApplication>
#include <QMouseEvent>
#include <QPoint>
#include <QWidget>
#include <cmath>

#include "samples/facade.h"

// The photograph pixel nearest to where the camera saw an object point.
inline QPoint Seen(long double X, long double Y) {
    const PlanePoint p = ObjectToImage(X, Y).value_or(PlanePoint{0, 0});
    return {int(std::lround(double(p.x))), int(std::lround(double(p.y)))};
}

inline void SendMouse(QWidget* picture, QEvent::Type type, QPoint p, Qt::MouseButton button,
                      Qt::MouseButtons held) {
    QMouseEvent e(type, QPointF(p), QPointF(picture->mapToGlobal(p)), button, held, Qt::NoModifier);
    QApplication::sendEvent(picture, &e);
}

inline void MoveTo(QWidget* picture, QPoint p) {
    SendMouse(picture, QEvent::MouseMove, p, Qt::NoButton, Qt::NoButton);
}

// A left click on a picture at pixel p, the pointer moved there first.
inline void Click(QWidget* picture, QPoint p) {
    MoveTo(picture, p);
    SendMouse(picture, QEvent::MouseButtonPress, p, Qt::LeftButton, Qt::LeftButton);
    SendMouse(picture, QEvent::MouseButtonRelease, p, Qt::LeftButton, Qt::NoButton);
}
