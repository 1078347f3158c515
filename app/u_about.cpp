#include "app/u_about.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

#include "app/u_forms.h"
#include "app/u_principale.h"
#include "platform/fonts.h"

TFormAbout::TFormAbout(QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint) {
    setObjectName("FormAbout");
    setWindowTitle("Vek");
    setFixedSize(329, 180);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0, 0, 128));
    setPalette(pal);
    auto* name = new QLabel("Vek", this);
    name->setObjectName("Label1");
    name->setFont(LabelFont(LabelWeight::Bold, 48));
    name->setStyleSheet("color: white");
    name->setAlignment(Qt::AlignCenter);
    name->setGeometry(0, 20, 329, 80);
    Button1 = new QPushButton("Analitico", this);
    Button1->setObjectName("Button1");
    Button1->setGeometry(40, 124, 110, 30);
    Button1->setCursor(Qt::PointingHandCursor);
    Button2 = new QPushButton("Geometrico", this);
    Button2->setObjectName("Button2");
    Button2->setGeometry(179, 124, 110, 30);
    Button2->setCursor(Qt::PointingHandCursor);
    connect(Button1, &QPushButton::clicked, this, &TFormAbout::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TFormAbout::Button2Click);
    if (QScreen* s = QGuiApplication::primaryScreen())
        move(s->geometry().center() - QPoint(329 / 2, 180 / 2));
}

void TFormAbout::Choose(bool analytic) {
    FormPrincipale->SetMethod(analytic);
    FormPrincipale->StatusBar1->SetPanel(MainPanel::Method,
                                         analytic ? " analitico" : " geometrico");
    FormPrincipale->N9->menuAction()->setVisible(true);
    chosen_ = true;
    close();
}

void TFormAbout::closeEvent(QCloseEvent* e) {
    if (chosen_)
        e->accept();
    else
        e->ignore();
}

void TFormAbout::Button1Click() { Choose(true); }

void TFormAbout::Button2Click() { Choose(false); }
