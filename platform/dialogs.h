// Common dialogs and message boxes behind one seam: a test presets the
// answers (file names, colours, cancels) and reads back the messages shown,
// so that no test ever waits on a modal dialog.
#pragma once

#include <QColor>
#include <QString>
#include <QStringList>

class QWidget;

namespace DialogSeam {
// Automatic mode: dialogs without a preset answer are cancelled and message
// boxes are only recorded. Tests switch it on.
void SetAutomatic(bool on);
bool Automatic();
void PresetFileName(const QString& name);  // next file dialog answers this name
void PresetCancel();                       // next file or colour dialog is cancelled
void PresetColor(const QColor& c);         // next colour dialog answers this colour
QStringList& Messages();                   // every message box text, in order
void ClearPresets();
}  // namespace DialogSeam

// Open or save dialog with a "description|pattern|…" filter, an initial name
// and a default extension. FileName keeps the last chosen name; a cancel
// returns false and leaves it as it was.
class FileDialog {
public:
    enum Kind { Open, Save };
    explicit FileDialog(Kind kind, QString filter = {}, QString fileName = {},
                        QString defaultExt = {});
    bool Execute(QWidget* parent = nullptr);
    Kind kind;
    QString Filter;
    QString FileName;
    QString DefaultExt;
};

class ColorDialog {
public:
    explicit ColorDialog(QColor c) : Color(c) {}
    bool Execute(QWidget* parent = nullptr);  // a cancel keeps Color
    QColor Color;
};

// Error message box (title "Vek"); recorded in the seam.
void ShowErrorBox(QWidget* parent, const QString& text);
void ShowWarningBox(QWidget* parent, const QString& text);

// "(*.imm)|*.imm|tutti i file|*.*" -> the toolkit's
// "(*.imm) (*.[iI][mM][mM]);;tutti i file (*.*)": patterns match without
// regard to case, and "*.jpg" also takes "*.jpeg".
QString ToQtFilter(const QString& filter);
