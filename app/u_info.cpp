#include "app/u_info.h"

#include <QLabel>

#include "platform/fonts.h"

TFormInfo::TFormInfo(QWidget* parent) : ToolWindow("FormInfo", "Informazioni", parent) {
    resize(300, 240);
    Body()->setAutoFillBackground(true);
    QPalette pal = Body()->palette();
    pal.setColor(QPalette::Window, QColor(0, 0, 128));
    Body()->setPalette(pal);
    auto* name = new QLabel("Vek", Body());
    name->setFont(LabelFont(LabelWeight::Bold, 48));
    name->setStyleSheet("color: white");
    name->setGeometry(20, 10, 260, 60);
    auto* text = new QLabel(
        "Prodotto da:\n  la squadra di Vek\n\nSviluppato da\n  gli ingegneri fondatori di Vek\n\n"
        "Raddrizzamento fotogrammetrico di immagini di oggetti piani",
        Body());
    text->setStyleSheet("color: white");
    text->setGeometry(20, 80, 270, 130);
    AddCommand("Chiudi", "Chiudi1", this, &QWidget::hide);
}
