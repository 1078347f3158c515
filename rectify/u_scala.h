// The scale dialog of the analytic method: pixel size or resolution.
#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>

#include "platform/controls.h"
#include "platform/statusbar.h"

// The dialog's inputs at the moment of a command.
struct ScaleInputs {
    long double pixelSize = 0;   // Edit1: object metres per output pixel
    long double resolution = 0;  // Edit2: dots per inch
};

class TFormScala : public ToolWindow {
    Q_OBJECT
public:
    explicit TFormScala(QWidget* parent = nullptr);
    QLabel *Label1, *Label2, *Label3, *Label4, *Label6, *Label7;
    QLineEdit *Edit1, *Edit2;
    StatusBar* StatusBar1;
    QProgressBar* ProgressBar1;
    QAction *Anteprima1, *Vek1, *Chiudi1;

    // Edit1 and Edit2 read as reals.
    ScaleInputs ReadScale() const;
};
