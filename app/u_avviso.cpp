#include "app/u_avviso.h"

#include <QKeyEvent>
#include <QStatusBar>

#include "app/u_forms.h"
#include "app/u_opzioni.h"
#include "app/u_principale.h"
#include "app/u_stato.h"
#include "platform/fonts.h"
#include "rectify/u_corretta.h"

namespace {
const char* const kNotices[19] = {
    " nessuna immagine attiva",
    " nessuna immagine corretta attiva",
    " caricare immagine e file fot",
    " selezionare area da raddrizzare",
    " caricare file fot",
    " immagine già aperta",
    " usare tasto sinistro del mouse",
    " usare tasto destro del mouse",
    " operazione non corretta",
    " clicca sopra per scegliere",
    " definire le rette",
    " calcolare punti di fuga",
    " misurare prima una larghezza",
    " controllare di aver eseguito tutte le operazioni",
    " inserire un valore diverso da zero",
    " immagine corretta troppo piccola per eseguire una anteprima ",
    " calcolare prima i punti di fuga e i parametri ",
    " Chiudere l''immagine corretta ? ",
    " Operazione non corretta ",
};
}  // namespace

const char* NoticeText(const QString& number) {
    for (int i = 0; i < 19; ++i)
        if (number == QString::number(i + 1)) return kNotices[i];
    return nullptr;
}

TFormAvviso::TFormAvviso(QWidget* parent) : ToolWindow("FormAvviso", "Avviso", parent) {
    resize(376, 101);
    setFont(DesignFont());
    const QFont label = LabelFont(LabelWeight::Regular);
    Label2 = new QLabel("Attenzione :", Body());
    Label2->setObjectName("Label2");
    Label2->setFont(label);
    Label2->setGeometry(8, 12, 80, 20);
    Label1 = new QLabel("Errore!", Body());
    Label1->setObjectName("Label1");
    Label1->setFont(label);
    Label1->setGeometry(90, 12, 280, 20);
    auto* bar = new QStatusBar(this);
    bar->setObjectName("StatusBar1");
    bar->setFixedHeight(19);
    bar->setSizeGripEnabled(false);
    bar->setGeometry(0, 101 - 19, 376, 19);
    Chiudicorretta1 = AddCommand("Chiudi corretta", "Chiudicorretta1");
    Chiudi1 = AddCommand("Chiudi", "Chiudi1");
    connect(Chiudicorretta1, &QAction::triggered, this, &TFormAvviso::Chiudicorretta1Click);
    connect(Chiudi1, &QAction::triggered, this, &TFormAvviso::Chiudi1Click);
}

void TFormAvviso::Chiudi1Click() { hide(); }

void TFormAvviso::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) return Chiudi1Click();
    ToolWindow::keyPressEvent(event);
}

void TFormAvviso::Chiudicorretta1Click() { CloseRectifiedImage(); }

void ShowNotice(const QString& number) {
    // An open notice window stays where it is; a closed one opens over the
    // main window, wherever that stands on the screen.
    if (!FormAvviso->isVisible()) FormAvviso->PlaceCentred();
    FormAvviso->show();
    if (number == "10")
        FormOpzioni->StatusBar1->SetPanel(0, " clicca sopra per scegliere");
    else if (const char* text = NoticeText(number))
        FormAvviso->Label1->setText(QString::fromUtf8(text));
    FormPrincipale->StatusBar1->repaint();
}
