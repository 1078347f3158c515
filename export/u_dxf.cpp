#include "export/u_dxf.h"

TFormDxf::TFormDxf(QWidget* parent) : ToolWindow("FormDxf", "Crea dxf", parent) {
    resize(260, 160);
    connect(AddCommand("Chiudi", "Chiudi1"), &QAction::triggered, this, &QWidget::hide);
}
