// The scale dialog of the analytic method: the output pixel size in metres
// or the print resolution in dpi, the output size they give for the area,
// the preview and the rectification.
#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <optional>

#include "analytic/u_proiettiva.h"
#include "platform/controls.h"
#include "platform/statusbar.h"

class TFormScala : public ToolWindow {
    Q_OBJECT
public:
    explicit TFormScala(QWidget* parent = nullptr);
    QLabel *Label1, *Label2, *Label3, *Label4, *Label6, *Label7;
    QLineEdit *Edit1, *Edit2;  // pixel size s (metres), resolution d = 2.54 / s (dpi)
    StatusBar* StatusBar1;
    QProgressBar* ProgressBar1;

public slots:
    // Each acts only while its edit has the focus, so that what one writes
    // into the other does not come back.
    void Edit1Change();
    void Edit2Change();
    void Anteprima1Click();
    void Vek1Click();
    void Chiudi1Click();

private:
    // Label6 := W x H and Label7 := w x h for the area at pixel size s, both
    // shown; false (with a message box) when the size cannot be computed.
    bool ShowOutputSize(long double s);
    void RepaintLabels();
    // The inverse parameters (object -> image) estimated from the union
    // table; on failure the residuals window has said why.
    std::optional<Projective> EstimateInverse();
};
