// The DXF point table: name, object X and Y of points picked on the
// rectified image, marked on it with a cross and the name, exported by the
// DXF window.
#pragma once

#include <QLineEdit>

#include "platform/controls.h"
#include "platform/dialogs.h"
#include "platform/statusbar.h"
#include "platform/stringgrid.h"

class TFormTabPtiDxf : public ToolWindow {
    Q_OBJECT
public:
    explicit TFormTabPtiDxf(QWidget* parent = nullptr);
    StringGrid* StringGrid1;
    QLineEdit *Edit1, *Edit2, *Edit3;  // name, X, Y of the next or edited point
    StatusBar* StatusBar1;             // 1: the row pressed for delete or edit
    FileDialog SaveDialog1;
    ColorDialog ColorDialog1;  // the colour of the marks, chosen in the options

    // Repaints the grid, puts the unmarked rectified picture back and marks
    // every point of the table on it.
    void RedrawObjectPoints();

public slots:
    void Iniziacollimazione1Click();
    void Registrapunto1Click();
    void Eliminapunto1Click();
    void Editapunto1Click();
    void Resettabella1Click();
    void Disegnatabella1Click();
    void Chiudi1Click();
    void StringGrid1MouseDown(Qt::MouseButton button);
};

// The DXF branch of the rectified picture's press: with the left button held
// and rb_dxf checked, the object X and Y that the main status panels 0 and 1
// show for the pressed pixel go into the table's Edit2 and Edit3, with "."
// as the decimal separator.
void DxfCollimationBranch(Qt::MouseButtons held);
