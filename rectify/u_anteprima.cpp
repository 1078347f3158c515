#include "rectify/u_anteprima.h"

TFormAnteprima::TFormAnteprima(QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::WindowStaysOnTopHint) {
    setObjectName("FormAnteprima");
    setWindowTitle("Anteprima");
    resize(196, 180);
    Image1 = new ImageControl("Image1", this);
    Image1->setGeometry(0, 0, 105, 105);
}
