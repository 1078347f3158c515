// The main window: a multiple-document frame with the one-glyph main menu,
// the seven-panel status bar and the hidden panel that holds the working
// state (method, view tool, edit tool, pointer mode, progress flags).
#pragma once

#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QProgressBar>

#include "app/u_pannello.h"
#include "platform/controls.h"
#include "platform/dialogs.h"
#include "platform/statusbar.h"

class TFormPrincipale : public QMainWindow, public StatePanel {
    Q_OBJECT
public:
    explicit TFormPrincipale(QWidget* parent = nullptr);

    QMdiArea* MdiArea;
    // Shown at the right of the status bar while a long task runs.
    QProgressBar* ProgressBar1;
    QMenu* N9;
    QWidget* Panel2;  // the hidden state panel; its controls are the StatePanel's

    FileDialog OpenPictureDialog1;
    FileDialog SavePictureDialog1;
    ColorDialog ColorDialog1;

    // The menu entries the program switches (check mark, visibility, enabling).
    QAction *Navigatore2, *Tabelle2, *Individuarette2, *Lineare2, *bilineare2, *bicubica2, *Salva4,
        *Chiudi2, *Dxf1;

    // Any menu entry by its name (for tests).
    QAction* Action(const QString& name) const;
    // Sets the status bar panels, the method button and the method's menu entries.
    void SetMethod(bool analytic);
    // The mode radio buttons of ' controlli 4 ' (all of them).
    QList<RadioButton*> PointerModes() const;

public slots:
    void Apri1Click();
    void Chiudi1Click();
    void Zoom2Click();
    void Pan2Click();
    void Navigatore2Click();
    void Adattaallafinestra1Click();
    void Dimensionereale1Click();
    void Ingrandisci1Click();
    void Riduci1Click();
    void Disponiverticali1Click();
    void Opzioni2Click();
    void Visualizza6Click();
    void Salva5Click();
    void Carica4Click();
    void Visualizza7Click();
    void Salva6Click();
    void Carica5Click();
    void Visualizza8Click();
    void Salva7Click();
    void Carica6Click();
    void Residui2Click();
    void Individuarette2Click();
    void Selezionaarearicampionamento1Click();
    void Visualizzaverticiarea2Click();
    void Lineare2Click();
    void bilineare2Click();
    void bicubica2Click();
    void Vek2Click();
    void Salva4Click();
    void Chiudi2Click();
    void Georeferenzia2Click();
    void Disegnapunti1Click();
    void Salvapunti1Click();
    void Creadxf1Click();
    void Calcoladistanza2Click();
    void Reset2Click();
    void Informazioni2Click();
    void Esci2Click();
    // A move over the frame's own surface, outside the child windows.
    void FormMouseMove();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // "Esci" and the window's close button: asked first when hand-entered
    // points or lines would be lost.
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildMenu();
    void BuildStatePanel();
    QAction* AddItem(QMenu* menu, const QString& caption, const QString& name,
                     void (TFormPrincipale::*slot)());
};
