#include "view/u_limiti.h"

#include <QLabel>

TFormLimiti::TFormLimiti(QWidget* parent) : ToolWindow("FormLimiti", "Area di ricampionamento", parent) {
    resize(169, 176);
    setFont(QFont("MS Sans Serif", 8));
    QFont bold("Times New Roman");
    bold.setPixelSize(13);
    bold.setBold(true);
    const char* captions[4] = {"Xin", "Yin", "Xfin", "Yfin"};
    Edit[0] = nullptr;
    for (int i = 1; i <= 12; ++i) {
        Edit[i] = MakeEdit(QString("Edit%1").arg(i), Body());
        if (i <= 4) {
            auto* l = new QLabel(captions[i - 1], Body());
            l->setFont(bold);
            l->setGeometry(8, 8 + (i - 1) * 26, 40, 20);
            Edit[i]->setGeometry(52, 8 + (i - 1) * 26, 105, 20);
        } else {
            Edit[i]->hide();
        }
    }
    StatusBar1 = AddStatusBar({100});
    AddCommand("Chiudi", "Chiudi1", this, &QWidget::hide);
}
