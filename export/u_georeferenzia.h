// The georeferencing window: the six lines of the world file of a saved
// rectified picture, proposed from the other windows, editable, and saved as
// they stand.
#pragma once

#include <QLabel>
#include <QLineEdit>
#include <array>

#include "platform/controls.h"
#include "platform/dialogs.h"
#include "platform/statusbar.h"

class TFormGeoreferenzia : public ToolWindow {
    Q_OBJECT
public:
    explicit TFormGeoreferenzia(QWidget* parent = nullptr);
    QLineEdit *Edit1, *Edit2, *Edit3, *Edit4, *Edit5, *Edit6;  // lines 1 to 6 of the file
    StatusBar* StatusBar1;
    FileDialog SaveDialog1;

    // Overwrites the six fields with the proposal of the checked method:
    // analytic (or none) from the scale dialog's pixel size and the area's
    // Xin, Yin; geometric from the ratio dialog's pixel size, "0.000" and the
    // object height in the main window's Edit6.
    void ProposeWorldFile();

public slots:
    // A cancelled dialog writes nothing; a failed write gets a message box.
    void Salvafilegeo1Click();
    void Chiudi1Click();

private:
    std::array<QLineEdit*, 6> Lines() const { return {Edit1, Edit2, Edit3, Edit4, Edit5, Edit6}; }
};
