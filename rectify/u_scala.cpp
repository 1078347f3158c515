#include "rectify/u_scala.h"

#include "tables/u_stringhe.h"

TFormScala::TFormScala(QWidget* parent)
    : ToolWindow("FormScala", "Scala dell'immagine corretta", parent) {
    resize(375, 175);
    QFont bold("Times New Roman");
    bold.setPixelSize(13);
    bold.setBold(true);
    auto label = [&](const QString& name, const QString& text, int x, int y, int w) {
        auto* l = new QLabel(text, Body());
        l->setObjectName(name);
        l->setGeometry(x, y, w, 18);
        return l;
    };
    Label1 = label("Label1", "Valore in metri di un pixel:", 8, 8, 240);
    Label1->setFont(bold);
    Edit1 = MakeEdit("Edit1", Body());
    Edit1->setGeometry(250, 8, 110, 20);
    Label2 = label("Label2", "Risoluzione immagine corretta (dpi):", 8, 34, 240);
    Label2->setFont(bold);
    Edit2 = MakeEdit("Edit2", Body(), "100");
    Edit2->setGeometry(250, 34, 110, 20);
    Label3 = label("Label3", "Dimensione immagine corretta (pi):", 8, 62, 240);
    Label6 = label("Label6", "", 250, 62, 120);
    Label6->hide();
    Label4 = label("Label4", "Dimensione immagine corretta (cm):", 8, 84, 240);
    Label7 = label("Label7", "", 250, 84, 120);
    Label7->hide();
    for (QLabel* l : {Label3, Label4}) l->setStyleSheet("color: navy");
    ProgressBar1 = AddProgressBar();
    StatusBar1 = AddStatusBar({200});
    Anteprima1 = AddCommand("Anteprima", "Anteprima1");
    Vek1 = AddCommand("Vek", "Vek1");
    Chiudi1 = AddCommand("Chiudi", "Chiudi1", this, &QWidget::hide);
}

ScaleInputs TFormScala::ReadScale() const {
    return {TextToReal(Edit1->text().toStdString()), TextToReal(Edit2->text().toStdString())};
}
