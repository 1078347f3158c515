// The DXF window: scale, label height and layer of the drawing made from the
// DXF point table, and the export with its progress bar.
#pragma once

#include <QLineEdit>
#include <QProgressBar>
#include <chrono>

#include "platform/controls.h"
#include "platform/dialogs.h"
#include "platform/statusbar.h"

class IGrid;

class TFormDxf : public ToolWindow {
    Q_OBJECT
public:
    explicit TFormDxf(QWidget* parent = nullptr);
    QLineEdit* Edit1;  // scale denominator S, "100"
    QLineEdit* Edit2;  // label height on paper in millimetres, "1"
    QLineEdit* Edit3;  // layer name
    QProgressBar* ProgressBar1;
    StatusBar* StatusBar1;
    FileDialog SaveDialog1;

public slots:
    // The progress bar takes the status bar's place while the writer runs.
    void Salvadxf1Click();
    void Chgiudi1Click();
};

// The pause after every exported point: 100 milliseconds in the program;
// tests shorten it.
void SetDxfPointPause(std::chrono::milliseconds pause);

// Runs the save dialog and writes the points of `grid` (name, X, Y and an
// optional Z column) as a DXF drawing: label size = height / 1000 * scale,
// layers layer + "_punti" and layer + "_nome". After every point it pauses,
// keeping the windows painted but taking no user input, and moves the
// progress bar on; the bar's maximum is the point count, and it ends at 0.
// The drawing is put on disk whole once complete. A cancelled dialog writes
// nothing; a value that cannot be written (not finite) or a failed write
// stops the export with a message box and leaves no file. True when the
// file was written.
bool WriteDxfFile(FileDialog& dialog, const QLineEdit* scale, const QLineEdit* height,
                  QProgressBar* progress, const IGrid& grid, const QLineEdit* layer);
