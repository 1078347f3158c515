#include "export/u_dxf.h"

TFormDxf::TFormDxf(QWidget* parent) : ToolWindow("FormDxf", "Crea dxf", parent) {
    resize(260, 160);
    AddCommand("Chiudi", "Chiudi1", this, &QWidget::hide);
}
