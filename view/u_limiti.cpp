#include "view/u_limiti.h"

#include "tables/u_stringhe.h"

TFormLimiti::TFormLimiti(QWidget* parent)
    : ToolWindow("FormLimiti", "Area di ricampionamento", parent) {
    resize(169, 176);
    setFont(QFont("MS Sans Serif", 8));
    QFont bold("Times New Roman");
    bold.setPixelSize(13);
    bold.setBold(true);
    auto row = [&](QLabel*& label, QLineEdit*& edit, int i, const char* caption) {
        label = new QLabel(caption, Body());
        label->setObjectName(QString("Label%1").arg(i));
        label->setFont(bold);
        label->setGeometry(8, 8 + (i - 1) * 26, 40, 20);
        edit = MakeEdit(QString("Edit%1").arg(i), Body());
        edit->setGeometry(52, 8 + (i - 1) * 26, 105, 20);
    };
    row(Label1, Edit1, 1, "Xin");
    row(Label2, Edit2, 2, "Yin");
    row(Label3, Edit3, 3, "Xfin");
    row(Label4, Edit4, 4, "Yfin");
    QLineEdit** corners[] = {&Edit5, &Edit6, &Edit7, &Edit8, &Edit9, &Edit10, &Edit11, &Edit12};
    for (int i = 0; i < 8; ++i) {
        *corners[i] = MakeEdit(QString("Edit%1").arg(i + 5), Body());
        (*corners[i])->hide();
    }
    StatusBar1 = AddStatusBar({100});
    Chiudi1 = AddCommand("Chiudi", "Chiudi1", this, &QWidget::hide);
}

AreaInputs TFormLimiti::ReadArea() const {
    auto real = [](const QLineEdit* e) { return TextToReal(e->text().toStdString()); };
    return {real(Edit1), real(Edit2), real(Edit3), real(Edit4)};
}
