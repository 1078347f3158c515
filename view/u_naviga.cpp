#include "view/u_naviga.h"

TFormNaviga::TFormNaviga(QWidget* parent) : ToolWindow("FormNaviga", "Navigatore", parent) {
    Image1 = new ImageControl("Image1", Body());
    Image1->setGeometry(0, 0, 100, 100);
    Image1->setCursor(Qt::PointingHandCursor);
    resize(100, 100 + MenuBar()->sizeHint().height());
}

void TFormNaviga::SetAutoSize(bool on) {
    autoSize_ = on;
    if (on) resize(Image1->width(), Image1->height() + MenuBar()->sizeHint().height());
}
