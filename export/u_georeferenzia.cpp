#include "export/u_georeferenzia.h"

TFormGeoreferenzia::TFormGeoreferenzia(QWidget* parent)
    : ToolWindow("FormGeoreferenzia", "File di georeferenziazione", parent) {
    resize(220, 200);
    Edit[0] = nullptr;
    for (int i = 1; i <= 6; ++i) {
        Edit[i] = MakeEdit(QString("Edit%1").arg(i), Body());
        Edit[i]->setGeometry(8, 8 + (i - 1) * 26, 200, 20);
    }
}
