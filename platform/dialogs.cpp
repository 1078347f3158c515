#include "platform/dialogs.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <deque>

namespace {
struct Answer {
    enum Kind { Cancel, Name, Colour } kind;
    QString name;
    QColor colour;
};
bool automatic = false;
std::deque<Answer> presets;
QStringList messages;

// False when no answer is preset; otherwise the next answer goes into `a`.
bool TakePreset(Answer& a) {
    if (presets.empty()) return false;
    a = presets.front();
    presets.pop_front();
    return true;
}
}  // namespace

namespace DialogSeam {
void SetAutomatic(bool on) { automatic = on; }
bool Automatic() { return automatic; }
void PresetFileName(const QString& name) { presets.push_back({Answer::Name, name, {}}); }
void PresetCancel() { presets.push_back({Answer::Cancel, {}, {}}); }
void PresetColor(const QColor& c) { presets.push_back({Answer::Colour, {}, c}); }
QStringList& Messages() { return messages; }
void ClearPresets() { presets.clear(); }
}  // namespace DialogSeam

namespace {
// "*.jpg" -> "*.[jJ][pP][gG]": cameras write IMG_0001.JPG as often as .jpg.
QString CaseFreePattern(const QString& pattern) {
    QString out;
    for (const QChar c : pattern) {
        if (c.toLower() != c.toUpper())
            out += QString("[%1%2]").arg(c.toLower(), c.toUpper());
        else
            out += c;
    }
    return out;
}
}  // namespace

QString ToQtFilter(const QString& filter) {
    const QStringList parts = filter.split('|');
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (const QString& p : parts[i + 1].split(';', Qt::SkipEmptyParts)) {
            patterns << CaseFreePattern(p.trimmed());
            // A JPEG may also carry the long extension.
            if (p.trimmed().compare("*.jpg", Qt::CaseInsensitive) == 0)
                patterns << CaseFreePattern("*.jpeg");
        }
        out << parts[i] + " (" + patterns.join(' ') + ")";
    }
    return out.join(";;");
}

FileDialog::FileDialog(Kind k, QString filter, QString fileName, QString defaultExt)
    : kind(k),
      Filter(std::move(filter)),
      FileName(std::move(fileName)),
      DefaultExt(std::move(defaultExt)) {}

bool FileDialog::Execute(QWidget* parent) {
    QString chosen;
    Answer preset;
    if (TakePreset(preset)) {
        if (preset.kind != Answer::Name) return false;
        chosen = preset.name;
    } else if (DialogSeam::Automatic()) {
        return false;
    } else {
        QFileDialog dlg(parent, QString(), QFileInfo(FileName).path(), ToQtFilter(Filter));
        // The list shows the descriptions as given, not the patterns.
        dlg.setOption(QFileDialog::HideNameFilterDetails);
        dlg.setAcceptMode(kind == Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        dlg.setFileMode(kind == Save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
        if (!DefaultExt.isEmpty()) dlg.setDefaultSuffix(DefaultExt);
        dlg.selectFile(QFileInfo(FileName).fileName());
        if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return false;
        chosen = dlg.selectedFiles().first();
    }
    if (chosen.isEmpty()) return false;
    if (!DefaultExt.isEmpty() && QFileInfo(chosen).suffix().isEmpty()) chosen += "." + DefaultExt;
    FileName = chosen;
    return true;
}

bool ColorDialog::Execute(QWidget* parent) {
    Answer preset;
    if (TakePreset(preset)) {
        if (preset.kind != Answer::Colour) return false;
        Color = preset.colour;
        return true;
    }
    if (DialogSeam::Automatic()) return false;
    const QColor c = QColorDialog::getColor(Color, parent);
    if (!c.isValid()) return false;
    Color = c;
    return true;
}

void ShowErrorBox(QWidget* parent, const QString& text) {
    messages << text;
    if (!DialogSeam::Automatic()) QMessageBox::critical(parent, "Vek", text);
}

void ShowWarningBox(QWidget* parent, const QString& text) {
    messages << text;
    if (!DialogSeam::Automatic()) QMessageBox::warning(parent, "Vek", text);
}
