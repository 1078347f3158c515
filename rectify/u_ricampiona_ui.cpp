#include "rectify/u_ricampiona_ui.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QProgressBar>
#include <algorithm>
#include <climits>
#include <utility>

#include "app/u_forms.h"
#include "app/u_principale.h"
#include "platform/dialogs.h"
#include "platform/imagecontrol.h"
#include "platform/rasterimage.h"

namespace {
constexpr uint32_t kBlack = 0xFF000000u;

bool Refuse(const QString& reason) {
    ShowErrorBox(FormPrincipale, "L'immagine corretta non si può creare: " + reason);
    return false;
}

}  // namespace

bool RectificationFeasible(const ResampleGeometry& g) {
    if (!(g.s > 0) || !(g.fx > 0) || !(g.fy > 0))
        return Refuse("la dimensione del pixel e i fattori di scala devono essere positivi.");
    const OutputSize size = ComputeOutputSize(g.X1, g.Y1, g.X2, g.Y2, g.s, g.fx, g.fy);
    if (size.W < 0 || size.H < 0 || size.W > INT_MAX || size.H > INT_MAX)
        return Refuse("sarebbe troppo grande.");
    if (size.W == 0 || size.H == 0) return Refuse("avrebbe 0 pixel.");
    // More than the machine's memory is refused unasked; anything else is
    // tried and freed at once, its pages never touched.
    const long double bytes = static_cast<long double>(size.W) * size.H * sizeof(uint32_t);
    const long double memory =
        static_cast<long double>(sysconf(_SC_PHYS_PAGES)) * sysconf(_SC_PAGESIZE);
    Raster probe;
    if (bytes > memory || !probe.Allocate(int(size.W), int(size.H)))
        return Refuse("memoria insufficiente.");
    return true;
}

bool ResampleImage(ImageControl* source, ImageControl* target, QProgressBar* progress,
                   const ResampleGeometry& g, Interpolation kind) {
    source->SetPicture(CleanBitmap);
    const OutputSize size = ComputeOutputSize(g.X1, g.Y1, g.X2, g.Y2, g.s, g.fx, g.fy);
    if (size.W < 0 || size.H < 0) return Refuse("sarebbe troppo grande.");
    const int w = int(size.W), h = int(size.H);
    progress->setMaximum(std::max(h, 1));
    progress->setValue(0);
    progress->show();
    target->resize(w, h);
    if (w == 0 || h == 0) {
        target->SetPicture(QImage());
        return true;
    }
    Raster out;
    if (!out.Allocate(w, h)) return Refuse("memoria insufficiente.");
    std::fill_n(out.Data(), std::size_t(w) * std::size_t(h), kBlack);
    // The target shows the buffer while it fills; rows are repainted as the
    // engine reports them finished.
    QImage filling(reinterpret_cast<uchar*>(out.Data()), w, h, qsizetype(w) * 4,
                   QImage::Format_RGB32);
    if (filling.isNull()) return Refuse("memoria insufficiente.");
    target->SetPicture(filling);
    const ResampleProgress shown = [&](int firstRow, int endRow) {
        progress->setValue(endRow);
        target->update(0, firstRow, w, endRow - firstRow);
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    };
    Resample(ViewOfImage(std::as_const(*source).Picture()), out, g, kind, 0, shown);
    target->SetPicture(AdoptRaster(std::move(out)));
    progress->setValue(0);
    return true;
}
