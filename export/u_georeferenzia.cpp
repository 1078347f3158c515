#include "export/u_georeferenzia.h"

TFormGeoreferenzia::TFormGeoreferenzia(QWidget* parent)
    : ToolWindow("FormGeoreferenzia", "File di georeferenziazione", parent) {
    resize(220, 220);
    QLabel** labels[] = {&Label1, &Label2, &Label3, &Label4, &Label5, &Label6};
    QLineEdit** edits[] = {&Edit1, &Edit2, &Edit3, &Edit4, &Edit5, &Edit6};
    for (int i = 0; i < 6; ++i) {
        QLabel* l = *labels[i] = new QLabel(QString("%1.").arg(i + 1), Body());
        l->setObjectName(QString("Label%1").arg(i + 1));
        l->setGeometry(8, 8 + i * 26, 20, 20);
        QLineEdit* e = *edits[i] = MakeEdit(QString("Edit%1").arg(i + 1), Body());
        e->setGeometry(30, 8 + i * 26, 178, 20);
    }
    StatusBar1 = AddStatusBar({200});
    Salvafilegeo1 = AddCommand("Salva file geo", "Salvafilegeo1");
    Chiudi1 = AddCommand("Chiudi", "Chiudi1", this, &QWidget::hide);
}
