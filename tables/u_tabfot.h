// The union table: control points with image x, y, object X, Y and the
// exclusion mark "*".
#pragma once

#include "platform/controls.h"
#include "platform/dialogs.h"
#include "platform/statusbar.h"
#include "platform/stringgrid.h"

class TFormTabFot : public ToolWindow {
    Q_OBJECT
public:
    explicit TFormTabFot(QWidget* parent = nullptr);
    StringGrid* StringGrid1;
    StatusBar* StatusBar1;
    FileDialog OpenDialog1;
    FileDialog SaveDialog1;

    // Loads a ".fot" file through the open dialog, clears the marks and
    // applies the rule of the four points.
    void LoadUnionTable();
    // Checks cb_fot when the table holds at least four points; never
    // unchecks it.
    void ApplyFotRule();

public slots:
    void Creafilefot1Click();
    void CAricafilefot1Click();
    void Salvafilefot1Click();
    void resettabella1Click();
    void Chiudi1Click();
};
