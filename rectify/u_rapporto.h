// The ratio dialog of the geometric method: measured width and height.
#pragma once

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>

#include "platform/controls.h"
#include "platform/statusbar.h"

// The dialog's inputs at the moment of a command, each edit read as a real.
struct RatioInputs {
    long double objectWidth = 0;     // Edit1, metres
    long double measuredWidth = 0;   // Edit2, reference-plane units
    long double objectHeight = 0;    // Edit3, metres
    long double measuredHeight = 0;  // Edit4, reference-plane units
    long double fx = 0;              // Edit5, metres per reference unit along x
    long double fy = 0;              // Edit8, along y
    long double pixelSize = 0;       // Edit6, metres per output pixel
    long double resolution = 0;      // Edit7, dots per inch
};

class TFormRapporto : public ToolWindow {
    Q_OBJECT
public:
    explicit TFormRapporto(QWidget *parent = nullptr);
    QGroupBox *GroupBox1, *GroupBox2;           // "  larghezza  ", "  altezza  "
    QLabel *Label1, *Label2, *Label3, *Label4;  // "oggetto" / "immagine" in the groups
    QLabel *Label6, *Label7, *Label8, *Label9, *Label10, *Label11;
    QLineEdit *Edit1, *Edit2;  // object and measured width
    QLineEdit *Edit3, *Edit4;  // object and measured height
    QLineEdit *Edit5, *Edit8;  // hidden: width and height factors
    QLineEdit *Edit6, *Edit7;  // pixel size, resolution
    // Hidden: the ends of the width (11..14) and height (15..18) measures.
    QLineEdit *Edit11, *Edit12, *Edit13, *Edit14, *Edit15, *Edit16, *Edit17, *Edit18;
    StatusBar *StatusBar1;
    QProgressBar *ProgressBar1;
    QAction *Misuralarghezza1, *Misuraaltezza1, *Anteprima1, *Vek1, *Chiudi1;

    RatioInputs ReadRatio() const;
};
