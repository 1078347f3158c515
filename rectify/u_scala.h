// The scale dialog of the analytic method: the output pixel size in metres
// or the print resolution in dpi, the output size they give for the area,
// the preview and the rectification.
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
    QLineEdit *Edit1, *Edit2;  // pixel size s (metres), resolution d = 2.54 / s (dpi)
    StatusBar* StatusBar1;
    QProgressBar* ProgressBar1;
    QAction *Anteprima1, *Vek1, *Chiudi1;

    // Edit1 and Edit2 read as reals.
    ScaleInputs ReadScale() const;

public slots:
    // Each acts only while its edit has the focus, so that what one writes
    // into the other does not come back.
    void Edit1Change();
    void Edit2Change();
    void Anteprima1Click();
    void Vek1Click();

private:
    // Label6 := W x H and Label7 := w x h for the area at pixel size s, both
    // shown; false (with a message box) when the size cannot be computed.
    bool ShowOutputSize(long double s);
    // While the typed field holds no usable value: the other field and the
    // sizes show nothing, the status bar says why, the scale is undefined.
    void ShowNoSize(QLineEdit* other, const QString& field);
    void RepaintLabels();
};
