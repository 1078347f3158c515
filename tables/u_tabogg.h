// The object table: object coordinates X, Y of named points.
#pragma once

#include "platform/controls.h"
#include "platform/dialogs.h"
#include "platform/statusbar.h"
#include "platform/stringgrid.h"

class TFormTabOgg : public ToolWindow {
    Q_OBJECT
public:
    explicit TFormTabOgg(QWidget* parent = nullptr);
    StringGrid* StringGrid1;
    StatusBar* StatusBar1;
    FileDialog OpenDialog1;
    FileDialog SaveDialog1;

public slots:
    void Caricafileogg1Click();
    void Salvafileogg1Click();
    void Resettabella1Click();
    void Chiudi1Click();
};
