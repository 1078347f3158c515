#include "rectify/u_rapporto.h"

#include <QLabel>

TFormRapporto::TFormRapporto(QWidget* parent)
    : ToolWindow("FormRapporto", "Definizione rapporto x/y", parent) {
    resize(387, 264);
    auto label = [&](const QString& text, int x, int y) {
        auto* l = new QLabel(text, Body());
        l->setGeometry(x, y, 200, 18);
    };
    label("  larghezza  ", 8, 4);
    label("oggetto", 8, 24);
    Edit1 = MakeEdit("Edit1", Body(), "1.0");
    Edit1->setGeometry(8, 42, 80, 20);
    label("immagine", 96, 24);
    Edit2 = MakeEdit("Edit2", Body());
    Edit2->setGeometry(96, 42, 80, 20);
    Edit2->setEnabled(false);
    label("  altezza  ", 196, 4);
    label("oggetto", 196, 24);
    Edit3 = MakeEdit("Edit3", Body(), "1.0");
    Edit3->setGeometry(196, 42, 80, 20);
    label("immagine", 284, 24);
    Edit4 = MakeEdit("Edit4", Body());
    Edit4->setGeometry(284, 42, 80, 20);
    Edit4->setEnabled(false);
    Edit5 = MakeEdit("Edit5", Body());
    Edit5->hide();
    Edit8 = MakeEdit("Edit8", Body());
    Edit8->hide();
    label("valore in metri di un pixel :", 8, 76);
    Edit6 = MakeEdit("Edit6", Body());
    Edit6->setGeometry(250, 76, 110, 20);
    label("risoluzione immagine corretta (dpi) :", 8, 102);
    Edit7 = MakeEdit("Edit7", Body());
    Edit7->setGeometry(250, 102, 110, 20);
    Label9 = new QLabel(Body());
    Label9->setObjectName("Label9");
    Label9->setGeometry(250, 128, 120, 18);
    Label9->hide();
    Label11 = new QLabel(Body());
    Label11->setObjectName("Label11");
    Label11->setGeometry(250, 150, 120, 18);
    Label11->hide();
    for (int i = 0; i < 8; ++i) {
        EditEnds[i] = MakeEdit(QString("Edit%1").arg(11 + i), Body());
        EditEnds[i]->hide();
    }
    ProgressBar1 = AddProgressBar();
    StatusBar1 = AddStatusBar({200});
}
