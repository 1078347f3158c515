#include "geometric/u_geom.h"

#include <QLabel>

TFormGeom::TFormGeom(QWidget* parent) : ToolWindow("FormGeom", "Individua rette parallele", parent) {
    resize(162, 304);
    QFont bold("Times New Roman");
    bold.setPixelSize(13);
    bold.setBold(true);
    auto label = [&](const QString& name, const QString& text, int y) {
        auto* l = new QLabel(text, Body());
        l->setObjectName(name);
        l->setFont(bold);
        l->setGeometry(8, y, 150, 18);
    };
    label("Label2", "N° rette orizzontali", 4);
    Edit5 = MakeEdit("Edit5", Body(), "0");
    Edit5->setGeometry(8, 24, 60, 20);
    label("Label1", "N° rette verticali", 50);
    Edit6 = MakeEdit("Edit6", Body(), "0");
    Edit6->setGeometry(8, 70, 60, 20);
    label("Label3", "Punto di fuga orizzontale", 96);
    Edit3 = MakeEdit("Edit3", Body(), "/");
    Edit3->setGeometry(8, 116, 70, 20);
    Edit4 = MakeEdit("Edit4", Body(), "/");
    Edit4->setGeometry(82, 116, 70, 20);
    label("Label4", "Punto di fuga verticale", 142);
    Edit1 = MakeEdit("Edit1", Body(), "/");
    Edit1->setGeometry(8, 162, 70, 20);
    Edit2 = MakeEdit("Edit2", Body(), "/");
    Edit2->setGeometry(82, 162, 70, 20);
    for (QLineEdit* e : {Edit1, Edit2, Edit3, Edit4, Edit5, Edit6}) e->setReadOnly(true);
    StringGrid1 = new StringGrid(5, 20, Body());
    StringGrid1->setObjectName("StringGrid1");
    StringGrid1->SetColumnWidths({46, 70, 70, 70, 70});
    StringGrid1->hide();
    StringGrid2 = new StringGrid(5, 20, Body());
    StringGrid2->setObjectName("StringGrid2");
    StringGrid2->SetColumnWidths({45, 70, 70, 70, 70});
    StringGrid2->hide();
    StatusBar1 = AddStatusBar({100});
}
