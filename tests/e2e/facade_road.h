// What the end-to-end roads on the sample facade share: its files, the
// collimation of its targets, and the comparison of a rectified picture with
// the facade's true painted texture.
#pragma once

#include <QImage>
#include <QString>
#include <QTest>
#include <array>
#include <cmath>
#include <functional>

#include "app/u_forms.h"
#include "app/u_principale.h"
#include "platform/dialogs.h"
#include "samples/facade.h"
#include "samples/facade_clicks.h"
#include "tables/u_tabimm.h"
#include "view/u_immagine.h"

inline QString Sample(const char* name) { return QString(VEK_SAMPLES_DIR) + "/" + name; }

// A left click on the source image window.
inline void Click(QPoint p) { Click(ImageWindow->Image1, p); }

// Opens the sample photograph and collimates the 12 targets where the
// camera saw them, each registered with its automatic number.
inline void OpenAndCollimateTargets(TFormPrincipale* main) {
    DialogSeam::PresetFileName(Sample("facciata.jpg"));
    main->Action("Apri1")->trigger();
    if (!ImageWindow) return;
    main->Action("Visualizza6")->trigger();
    FormTabImm->Command("Iniziacollimazione1")->trigger();
    for (const FacadeTarget& t : FacadeTargets()) {
        Click(Seen(t.X, t.Y));
        FormTabImm->Command("Registrapunto1")->trigger();
    }
}

// Object point of a rectified pixel (column, row); false leaves it out.
using PixelToObject = std::function<bool(int c, int r, long double& X, long double& Y)>;

// Mean absolute error per channel of `picture` against the facade texture,
// over every `step`-th pixel along both axes that lies `margin` metres or
// more from an edge of the texture. `compared` counts the pixels used.
inline std::array<double, 3> TextureError(const QImage& picture, const PixelToObject& objectOf,
                                          long double margin, int step, long& compared) {
    std::array<double, 3> error{0, 0, 0};
    compared = 0;
    for (int r = 0; r < picture.height(); r += step) {
        for (int c = 0; c < picture.width(); c += step) {
            long double X, Y;
            if (!objectOf(c, r, X, Y) || NearTextureEdge(X, Y, margin)) continue;
            const Rgb truth = FacadeColor(X, Y);
            const QRgb got = picture.pixel(c, r);
            error[0] += std::fabs(qRed(got) - truth.r);
            error[1] += std::fabs(qGreen(got) - truth.g);
            error[2] += std::fabs(qBlue(got) - truth.b);
            ++compared;
        }
    }
    for (double& e : error) e /= double(std::max(compared, 1L));
    return error;
}
