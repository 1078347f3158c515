#include "view/u_finestra.h"

#include <QCloseEvent>

#include "app/u_forms.h"
#include "app/u_opzioni.h"
#include "app/u_principale.h"
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
    // Half the pointer's travel: the picture moves under the pointer too.
    const int dx = (x - LastMouseX) / 2, dy = (y - LastMouseY) / 2;
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
