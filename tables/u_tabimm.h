// The image table: collimated points with their pixel column and row.
#pragma once

#include <QLineEdit>

#include "platform/controls.h"
#include "platform/dialogs.h"
#include "platform/statusbar.h"
#include "platform/stringgrid.h"

class TFormTabImm : public ToolWindow {
    Q_OBJECT
public:
    explicit TFormTabImm(QWidget* parent = nullptr);
    StringGrid* StringGrid1;
    QLineEdit *Edit1, *Edit2, *Edit3;  // name, x, y of the next or edited point
    StatusBar* StatusBar1;             // 0: the operation, 1: the row pressed for delete or edit
    FileDialog OpenDialog1;
    FileDialog SaveDialog1;

    // The collimation branch of the source image's press: with the left
    // button held and rb_collima checked, the pressed pixel goes into Edit2
    // and Edit3 (plain row, no flip).
    void CollimationBranch(Qt::MouseButtons held, int x, int y);
    // Repaints the grid, puts the unmarked picture back and marks every
    // point of the table on it.
    void RedrawImagePoints();

public slots:
    void Iniziacollimazione1Click();
    void Registrapunto1Click();
    void Eliminapunto1Click();
    void Editapunto1Click();
    void Resettabella1Click();
    void Disegnapunti1Click();
    void Esci1Click();
    void StringGrid1MouseDown(Qt::MouseButton button);

private:
    // False (and the text in main panel 6) when no image is loaded.
    bool ImageLoaded(const QString& missingText) const;
};
