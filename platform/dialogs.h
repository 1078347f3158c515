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
// The next file dialog answers this name, with the filter of that index
// (1-based, as FileDialog::FilterIndex) chosen.
void PresetFileName(const QString& name, int filterIndex = 1);
void PresetCancel();                // next file or colour dialog is cancelled
void PresetColor(const QColor& c);  // next colour dialog answers this colour
void PresetAnswer(bool yes);        // next question is answered Yes or No
QStringList& Messages();            // every message box text, in order
QStringList& Questions();           // every question asked, in order
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
    // The filter chosen, 1 for the first; the dialog opens with it. A name
    // typed without an extension gets, in a save dialog, the chosen filter's
    // (its first pattern's, when that names one), else DefaultExt.
    int FilterIndex = 1;

private:
    QString SuffixFor(int filterIndex) const;
};

class ColorDialog {
public:
    explicit ColorDialog(QColor c) : Color(c) {}
    bool Execute(QWidget* parent = nullptr);  // a cancel keeps Color
    QColor Color;
};

// Every message box, question and file or colour dialog opens above all of
// the program's windows (the stay-on-top tool windows included), centred on
// the main window (the owner at the root of `parent`'s chain of owners),
// with the keyboard focus.

// Error message box (title "Vek"); recorded in the seam.
void ShowErrorBox(QWidget* parent, const QString& text);
void ShowWarningBox(QWidget* parent, const QString& text);
// A question with the buttons Yes and No (No the default); true for Yes.
// Recorded in the seam; in automatic mode without a preset answer it is
// answered Yes, so the command goes on as it would without the question.
bool AskYesNo(QWidget* parent, const QString& text);

// Installs the toolkit's Italian translation (Debian's qt6-translations-l10n),
// so its own dialogs and standard buttons speak Italian; nullptr when it is
// not found. The translator belongs to the application.
class QTranslator;
QTranslator* InstallToolkitTranslation();

// "(*.imm)|*.imm|tutti i file|*.*" -> the toolkit's
// "(*.imm) (*.[iI][mM][mM]);;tutti i file (*.*)": patterns match without
// regard to case, and "*.jpg" also takes "*.jpeg".
QString ToQtFilter(const QString& filter);
