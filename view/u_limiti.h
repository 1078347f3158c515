// The resampling area window: Xin, Yin, Xfin, Yfin and the four corners.
#pragma once

#include <QLabel>
#include <QLineEdit>

#include "platform/controls.h"
#include "platform/statusbar.h"

// The rectangle of the area in object coordinates, as the edits hold it at
// the moment of a command: (Xin, Yin) upper-left, (Xfin, Yfin) lower-right.
struct AreaInputs {
    long double Xin = 0, Yin = 0, Xfin = 0, Yfin = 0;
};

class TFormLimiti : public ToolWindow {
    Q_OBJECT
public:
    explicit TFormLimiti(QWidget* parent = nullptr);
    QLabel *Label1, *Label2, *Label3, *Label4;  // "Xin", "Yin", "Xfin", "Yfin"
    QLineEdit *Edit1, *Edit2, *Edit3, *Edit4;   // Xin, Yin, Xfin, Yfin
    // Hidden: the corners 1 to 4 as pixel column and ordinate.
    QLineEdit *Edit5, *Edit6, *Edit7, *Edit8, *Edit9, *Edit10, *Edit11, *Edit12;
    StatusBar* StatusBar1;
    QAction* Chiudi1;

    // Edit1..Edit4 read as reals.
    AreaInputs ReadArea() const;
};
