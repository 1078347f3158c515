#include "view/u_naviga.h"

#include <QScrollBar>
#include <utility>

#include "app/u_forms.h"
#include "app/u_opzioni.h"
#include "view/u_immagine.h"
#include "view/u_vista.h"

TFormNaviga::TFormNaviga(QWidget* parent) : ToolWindow("FormNaviga", "Navigatore", parent) {
    Image1 = new ImageControl("Image1", Body());
    Image1->setGeometry(0, 0, 100, 100);
    Image1->setCursor(Qt::PointingHandCursor);
    resize(100, 100 + MenuBar()->sizeHint().height());
    connect(Image1, &ImageControl::MouseDown, this, &TFormNaviga::Image1MouseDown);
}

void TFormNaviga::SetAutoSize(bool on) {
    autoSize_ = on;
    if (on) resize(Image1->width(), Image1->height() + MenuBar()->sizeHint().height());
}

// The navigator shows either the whole picture at full size (ratio 1) or
// its thumbnail (ratio = the thumbnail's step), so the ratios below map a
// click to the source pixel that the navigator shows there.
void TFormNaviga::ShowView() {
    const QImage& shown = std::as_const(*Image1).Picture();
    if (!ImageWindow || shown.isNull()) {
        Image1->SetFrame(QRect());
        return;
    }
    ImageControl* source = ImageWindow->Image1;
    const QImage& picture = std::as_const(*source).Picture();
    if (picture.isNull()) return;
    const int rx = picture.width() / shown.width(), ry = picture.height() / shown.height();
    // The viewport's first and last screen pixels on the zoomed picture.
    const QPoint first(ImageWindow->horizontalScrollBar()->value(),
                       ImageWindow->verticalScrollBar()->value());
    const QPoint last =
        first + QPoint(ImageWindow->viewport()->width() - 1, ImageWindow->viewport()->height() - 1);
    const QRect view =
        QRect(source->PixelAt(first), source->PixelAt(last)).intersected(picture.rect());
    Image1->SetFrame(QRect(QPoint(view.left() / rx, view.top() / ry),
                           QPoint(view.right() / rx, view.bottom() / ry)));
}

void TFormNaviga::Image1MouseDown(Qt::MouseButton, Qt::MouseButtons, int x, int y) {
    if (!ImageWindow) return;
    const QImage& shown = std::as_const(*Image1).Picture();
    const QImage& source = std::as_const(*ImageWindow->Image1).Picture();
    if (shown.isNull() || source.isNull()) return;
    const int rx = source.width() / shown.width(), ry = source.height() / shown.height();
    const QPoint c = GetViewCentre(ImageWindow);
    const QPoint target = ImageWindow->Image1->PointOfPixel(QPoint(x * rx, y * ry));
    GlideViewTo(ImageWindow, ImageWindow->Image1, c.x(), c.y(), FormOpzioni->SpinEdit3->value(),
                target.x(), target.y());
}
