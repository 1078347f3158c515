#include "platform/dialogs.h"

#include <QColorDialog>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QTranslator>
#include <algorithm>
#include <deque>

namespace {
struct Answer {
    enum Kind { Cancel, Name, Colour, Yes, No } kind;
    QString name;
    QColor colour;
    int filter = 1;
};
bool automatic = false;
std::deque<Answer> presets;
QStringList messages;
QStringList questions;

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
void PresetFileName(const QString& name, int filterIndex) {
    presets.push_back({Answer::Name, name, {}, filterIndex});
}
void PresetCancel() { presets.push_back({Answer::Cancel, {}, {}}); }
void PresetColor(const QColor& c) { presets.push_back({Answer::Colour, {}, c}); }
void PresetAnswer(bool yes) { presets.push_back({yes ? Answer::Yes : Answer::No, {}, {}}); }
QStringList& Messages() { return messages; }
QStringList& Questions() { return questions; }
void ClearPresets() { presets.clear(); }
}  // namespace DialogSeam

namespace {
// The main window: the owner at the root of the chain of owners.
QWidget* MainWindowOf(QWidget* parent) {
    QWidget* top = parent ? parent->window() : nullptr;
    while (top && top->parentWidget()) top = top->parentWidget()->window();
    return top;
}

// Runs `dialog` modal above every window of the program, the stay-on-top tool
// windows included, centred on the main window, with the keyboard focus.
int ExecOnTop(QDialog& dialog) {
    dialog.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    dialog.setWindowModality(Qt::ApplicationModal);
    if (const QWidget* owner = dialog.parentWidget()) {
        dialog.adjustSize();
        QRect r = dialog.frameGeometry();
        r.moveCenter(owner->frameGeometry().center());
        dialog.move(r.topLeft());
    }
    dialog.show();
    dialog.raise();
    dialog.activateWindow();
    return dialog.exec();
}

int ShowBoxOnTop(QWidget* parent, QMessageBox::Icon icon, const QString& text,
                 QMessageBox::StandardButtons buttons, QMessageBox::StandardButton initial) {
    QMessageBox box(icon, "Vek", text, buttons, MainWindowOf(parent));
    box.setDefaultButton(initial);
    return ExecOnTop(box);
}

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

namespace {
// The extension of the first pattern of filter `index` (1-based): "png" for
// "PNG (*.png)|*.png"; empty for "*.*" or beyond the list.
QString FilterExtension(const QString& filter, int index) {
    const QStringList parts = filter.split('|');
    const int at = 2 * (index - 1) + 1;
    if (index < 1 || at >= parts.size()) return {};
    const QString first = parts[at].split(';').first().trimmed();
    if (!first.startsWith("*.") || first.mid(2).contains('*')) return {};
    return first.mid(2);
}
}  // namespace

FileDialog::FileDialog(Kind k, QString filter, QString fileName, QString defaultExt)
    : kind(k),
      Filter(std::move(filter)),
      FileName(std::move(fileName)),
      DefaultExt(std::move(defaultExt)) {}

QString FileDialog::SuffixFor(int filterIndex) const {
    const QString ext = kind == Save ? FilterExtension(Filter, filterIndex) : QString();
    return ext.isEmpty() ? DefaultExt : ext;
}

bool FileDialog::Execute(QWidget* parent) {
    QString chosen;
    Answer preset;
    int filterIndex = FilterIndex;
    if (TakePreset(preset)) {
        if (preset.kind != Answer::Name) return false;
        chosen = preset.name;
        filterIndex = preset.filter;
    } else if (DialogSeam::Automatic()) {
        return false;
    } else {
        QFileDialog dlg(MainWindowOf(parent), QString(), QFileInfo(FileName).path(),
                        ToQtFilter(Filter));
        // The list shows the descriptions as given, not the patterns.
        dlg.setOption(QFileDialog::HideNameFilterDetails);
        dlg.setAcceptMode(kind == Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        dlg.setFileMode(kind == Save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
        const QStringList filters = ToQtFilter(Filter).split(";;");
        const auto suffixFor = [&](int index) { return SuffixFor(index); };
        if (FilterIndex >= 1 && FilterIndex <= filters.size())
            dlg.selectNameFilter(filters[FilterIndex - 1]);
        if (!suffixFor(FilterIndex).isEmpty()) dlg.setDefaultSuffix(suffixFor(FilterIndex));
        QObject::connect(&dlg, &QFileDialog::filterSelected, &dlg, [&](const QString& f) {
            dlg.setDefaultSuffix(suffixFor(int(filters.indexOf(f)) + 1));
        });
        dlg.selectFile(QFileInfo(FileName).fileName());
        if (ExecOnTop(dlg) != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return false;
        chosen = dlg.selectedFiles().first();
        filterIndex = std::max(1, int(filters.indexOf(dlg.selectedNameFilter())) + 1);
    }
    if (chosen.isEmpty()) return false;
    if (QFileInfo(chosen).suffix().isEmpty() && !SuffixFor(filterIndex).isEmpty())
        chosen += "." + SuffixFor(filterIndex);
    FileName = chosen;
    FilterIndex = filterIndex;
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
    QColorDialog dlg(Color, MainWindowOf(parent));
    if (ExecOnTop(dlg) != QDialog::Accepted) return false;
    const QColor c = dlg.selectedColor();
    if (!c.isValid()) return false;
    Color = c;
    return true;
}

void ShowErrorBox(QWidget* parent, const QString& text) {
    messages << text;
    if (!DialogSeam::Automatic())
        ShowBoxOnTop(parent, QMessageBox::Critical, text, QMessageBox::Ok, QMessageBox::Ok);
}

void ShowWarningBox(QWidget* parent, const QString& text) {
    messages << text;
    if (!DialogSeam::Automatic())
        ShowBoxOnTop(parent, QMessageBox::Warning, text, QMessageBox::Ok, QMessageBox::Ok);
}

bool AskYesNo(QWidget* parent, const QString& text) {
    questions << text;
    // Only an answer preset for a question is taken: a file name preset for
    // the dialog that follows the question stays for it.
    if (!presets.empty() &&
        (presets.front().kind == Answer::Yes || presets.front().kind == Answer::No)) {
        const bool yes = presets.front().kind == Answer::Yes;
        presets.pop_front();
        return yes;
    }
    if (DialogSeam::Automatic()) return true;
    return ShowBoxOnTop(parent, QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No,
                        QMessageBox::No) == QMessageBox::Yes;
}

QTranslator* InstallToolkitTranslation() {
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(QLocale(QLocale::Italian, QLocale::Italy), "qtbase", "_",
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
        !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return nullptr;
    }
    return translator;
}
