#include "view/u_finestra.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMdiSubWindow>
#include <QScrollBar>
#include <QWheelEvent>
#include <cmath>
#include <utility>

#include "app/u_forms.h"
#include "app/u_opzioni.h"
#include "app/u_principale.h"
#include "view/u_immagine.h"
#include "view/u_vista.h"

ImageWindowBase::ImageWindowBase(const QString& objectName, QWidget* parent) : QScrollArea(parent) {
    setObjectName(objectName);
    setAttribute(Qt::WA_DeleteOnClose);
    Image1 = new ImageControl("Image1");
    Image1->setCursor(Qt::CrossCursor);
    Image1->SetAutoSize(true);
    setWidget(Image1);
    setWidgetResizable(false);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Panel1 = new QFrame(viewport());
    Panel1->setObjectName("Panel1");
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1->setGeometry(0, 0, 103, 103);
    Panel1->setEnabled(false);
    Panel1->hide();
    Image2 = new ImageControl("Image2", Panel1);
    Image2->setGeometry(2, 2, 99, 99);
    connect(Image1, &ImageControl::MouseDown, this, &ImageWindowBase::Image1MouseDown);
    connect(Image1, &ImageControl::MouseMove, this, &ImageWindowBase::Image1MouseMove);
    connect(Image1, &ImageControl::MouseUp, this, &ImageWindowBase::Image1MouseUp);
}

void ImageWindowBase::ShowLensAt(int x, int y) {
    ShowLens(this, Image1, Image2, FormOpzioni->SpinEdit1->value(), x, y, Panel1);
}

void ImageWindowBase::Image1MouseDown(Qt::MouseButton button, Qt::MouseButtons held, int x, int y) {
    if ((held & Qt::RightButton) && FormPrincipale->rb_zoom->Checked()) ShowLensAt(x, y);
    ClickBranches(button, held, x, y);
}

void ImageWindowBase::Image1MouseMove(Qt::MouseButtons held, int x, int y) {
    TFormPrincipale* main = FormPrincipale;
    Image1->setCursor(Qt::CrossCursor);
    ShowPointer(x, y);
    const bool right = held & Qt::RightButton;
    if (right && main->rb_zoom->Checked()) ShowLensAt(x, y);
    // Half the pointer's travel on the screen: the picture moves under the
    // pointer too. At zoom 1 the picture pixels are the screen's.
    const QPoint now = Image1->zoom().IsOne() ? QPoint(x, y) : Image1->LastPoint();
    const QPoint last = Image1->zoom().IsOne() ? QPoint(LastMouseX, LastMouseY) : lastPoint_;
    lastPoint_ = now;
    const int dx = (now.x() - last.x()) / 2, dy = (now.y() - last.y()) / 2;
    if (right && main->rb_pan->Checked()) {
        Image1->setCursor(Qt::PointingHandCursor);
        const QPoint c = GetViewCentre(this);
        CentreViewOn(this, c.x() - dx, c.y() - dy);
    }
    LastMouseX = x;
    LastMouseY = y;
    if (Dragging && BandFollowsPointer()) {
        DrawRubberBand(Image1, StartPoint, EndPoint, PenMode::NotXor);  // erases the last band
        EndPoint = QPoint(x, y);
        DrawRubberBand(Image1, StartPoint, EndPoint, PenMode::NotXor);
    }
}

void ImageWindowBase::Image1MouseUp(Qt::MouseButton button, Qt::MouseButtons held, int x, int y) {
    Panel1->hide();
    Image1->setCursor(Qt::CrossCursor);
    Released(button, held, x, y);
}

void ImageWindowBase::closeEvent(QCloseEvent* e) {
    if (!MayClose()) {
        e->ignore();
        return;
    }
    FormClose();
    e->accept();
}

void ImageWindowBase::SetZoom(Zoom z, QPoint anchor) {
    const Zoom old = Image1->zoom();
    if (z == old) return;
    // The anchor's place on the picture, in picture pixels (real).
    const QPoint w = anchor + QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
    const double u = w.x() / old.Value(), v = w.y() / old.Value();
    Image1->SetZoom(z);
    horizontalScrollBar()->setValue(int(std::lround(u * z.Value())) - anchor.x());
    verticalScrollBar()->setValue(int(std::lround(v * z.Value())) - anchor.y());
    Image1->Repaint();
}

void ImageWindowBase::SetZoom(Zoom z) {
    SetZoom(z, QPoint(viewport()->width() / 2, viewport()->height() / 2));
}

void ImageWindowBase::ZoomStep(int direction) { SetZoom(NextZoomStep(Image1->zoom(), direction)); }

void ImageWindowBase::FitToWindow() {
    const QImage& picture = std::as_const(*Image1).Picture();
    const QSize view = maximumViewportSize();
    Image1->SetZoom(FitZoom(picture.width(), picture.height(), view.width(), view.height()));
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
}

void ImageWindowBase::wheelEvent(QWheelEvent* e) {
    const QPoint d = e->angleDelta();
    const int delta = d.y() != 0 ? d.y() : d.x();
    if (delta == 0) return;
    if (e->modifiers() & Qt::ControlModifier) {
        SetZoom(NextZoomStep(Image1->zoom(), delta), e->position().toPoint());
    } else {
        const bool across = (e->modifiers() & Qt::ShiftModifier) || d.y() == 0;
        QScrollBar* bar = across ? horizontalScrollBar() : verticalScrollBar();
        bar->setValue(bar->value() -
                      delta * QApplication::wheelScrollLines() * bar->singleStep() / 120);
    }
    e->accept();
}

ImageWindowBase* ActivePictureWindow() {
    if (QMdiSubWindow* sub = FormPrincipale->MdiArea->activeSubWindow())
        if (auto* w = qobject_cast<ImageWindowBase*>(sub->widget())) return w;
    return ImageWindow;
}
