// The sample facade's files and the clicks a surveyor makes on its
// photograph, shared by the end-to-end roads over it.
#pragma once

#include <QString>
#include <QTest>
#include <cmath>

#include "app/u_forms.h"
#include "samples/facade.h"
#include "view/u_immagine.h"

inline QString Sample(const char* name) { return QString(VEK_SAMPLES_DIR) + "/" + name; }

// The photograph pixel where the camera saw an object point.
inline QPoint Seen(long double X, long double Y) {
    const PlanePoint p = *ObjectToImage(X, Y);
    return {int(std::lround(double(p.x))), int(std::lround(double(p.y)))};
}

// A left click on the source image window, the pointer moved there first.
inline void Click(QPoint p) {
    QTest::mouseMove(ImageWindow->Image1, p);
    QTest::mousePress(ImageWindow->Image1, Qt::LeftButton, {}, p);
    QTest::mouseRelease(ImageWindow->Image1, Qt::LeftButton, {}, p);
}
