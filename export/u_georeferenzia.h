// The georeferencing window: the six lines of the world file.
#pragma once

#include <QLabel>
#include <QLineEdit>

#include "platform/controls.h"
#include "platform/dialogs.h"
#include "platform/statusbar.h"

class TFormGeoreferenzia : public ToolWindow {
    Q_OBJECT
public:
    explicit TFormGeoreferenzia(QWidget* parent = nullptr);
    QLabel *Label1, *Label2, *Label3, *Label4, *Label5, *Label6;  // "1." .. "6."
    // Lines 1 to 6 of the file: pixel size along X, two rotation terms,
    // pixel size along Y (negative), X and Y of the upper-left corner.
    QLineEdit *Edit1, *Edit2, *Edit3, *Edit4, *Edit5, *Edit6;
    StatusBar* StatusBar1;
    FileDialog SaveDialog1{FileDialog::Save, {}, {}, "tfw"};
    QAction* Salvafilegeo1;
    QAction* Chiudi1;
};
