#include "tables/u_omnia_ui.h"

#include <QVBoxLayout>
#include <algorithm>

#include "platform/fileio.h"
#include "tables/u_chiavi.h"
#include "tables/u_omnia.h"
#include "tables/u_stringhe.h"

namespace {

FileFailure ReadFailureOf(TableIo result) {
    return result == TableIo::ReadError ? FileFailure::ReadError : FileFailure::CannotOpen;
}
QString IssueText(const LineIssue& issue) {
    switch (issue.fault) {
        case LineFault::MissingValue:
            return QString("manca la coordinata %1").arg(issue.value);
        case LineFault::UnreadableValue:
            return QString("la coordinata %1 non è un numero").arg(issue.value);
        case LineFault::LongName:
            return QString("nome più lungo di %1 caratteri, troncato").arg(MaxNameLength);
        case LineFault::DuplicateName:
            return QString("nome già presente alla riga %1").arg(issue.firstLine);
        case LineFault::PastLimit:
            return QString("da qui in poi non letta: la tabella tiene al massimo %1 punti")
                .arg(MaxTablePoints);
    }
    return {};
}

}  // namespace

QString LoadIssuesText(const QString& path, const std::vector<LineIssue>& issues) {
    constexpr int kShownLines = 20;
    QStringList lines;
    int shown = 0, more = 0;
    for (size_t i = 0; i < issues.size();) {
        const int line = issues[i].line;
        QStringList faults;
        for (; i < issues.size() && issues[i].line == line; ++i) faults << IssueText(issues[i]);
        if (shown < kShownLines) {
            lines << QString("riga %1: %2").arg(line).arg(faults.join("; "));
            ++shown;
        } else {
            ++more;
        }
    }
    if (more > 0) lines << QString("... e altre %1 righe").arg(more);
    return QString(
               "Il file %1 è stato caricato, ma alcune righe non sono corrette "
               "(una coordinata mancante o non numerica vale 0):\n")
               .arg(path) +
           lines.join("\n");
}

bool LoadTable(FileDialog& dialog, StringGrid& grid, const std::string& keyword) {
    if (!dialog.Execute(grid.window())) return false;
    const std::string path = PathFromDialogName(dialog.FileName);
    TableRead read;
    if (HasTableReader(keyword)) {
        const TableIo result = ReadTableFile(path, keyword, read);
        if (result != TableIo::Ok) {
            ShowErrorBox(grid.window(), FileFailureMessage(ReadFailureOf(result), dialog.FileName));
            return false;
        }
    }
    ClearGrid(grid);
    FillTableGrid(grid, read.points, keyword);
    FitRowCount(grid);
    NormalizeGridDecimals(grid);
    FitGridWindow(grid);
    grid.Repaint();
    MarkTableSaved(grid);
    if (!read.issues.empty())
        ShowWarningBox(grid.window(), LoadIssuesText(dialog.FileName, read.issues));
    return true;
}

namespace {
const char* const kSavedPoints = "savedPoints";

// The table's points, every column, one line a point.
QString PointsText(const StringGrid& grid) {
    QStringList rows;
    const int n = CountPoints(grid);
    for (int r = 1; r <= n; ++r) {
        QStringList cells;
        for (int c = 0; c < grid.ColCount(); ++c) cells << grid.Cells(c, r);
        rows << cells.join('\t');
    }
    return rows.join('\n');
}
}  // namespace

void MarkTableSaved(StringGrid& grid) { grid.setProperty(kSavedPoints, PointsText(grid)); }

bool TableChangedSinceSaved(const StringGrid& grid) {
    if (CountPoints(grid) == 0) return false;
    return PointsText(grid) != grid.property(kSavedPoints).toString();
}

void FitGridWindow(StringGrid& grid) {
    grid.FitColumnsToText();
    QWidget* window = grid.window();
    window->resize(std::max(window->width(), grid.WidthForColumns(grid.ColCount())),
                   window->height());
}

bool SaveTable(FileDialog& dialog, StringGrid& grid, const std::string& keyword) {
    // A coordinate edited into something that is no number is pointed out,
    // not written as typed.
    const bool readable = keyword == TableKey::Nxyxy
                              ? PointCellsReadable(grid.window(), grid, {1, 2, 3, 4})
                              : PointCellsReadable(grid.window(), grid, {1, 2});
    if (!readable || !dialog.Execute(grid.window())) return false;
    if (!HasTableWriter(keyword)) return false;
    if (!SaveFileBytes(grid.window(), dialog.FileName, TableFileBytes(grid, keyword))) return false;
    MarkTableSaved(grid);
    return true;
}

void NormalizeEditDecimal(QLineEdit* edit) {
    // Only a changed text is written back, so that the caret and the undo
    // history of a field being typed in stay where they are.
    const QString text = QString::fromStdString(NormalizeDecimalText(edit->text().toStdString()));
    if (text != edit->text()) edit->setText(text);
}

long double EditReal(const QLineEdit* edit) { return TextToReal(FieldText(edit)); }

std::optional<long double> EditNumber(const QLineEdit* edit) {
    return ReadTypedNumber(FieldText(edit));
}

std::optional<long double> PositiveEditNumber(const QLineEdit* edit) {
    const std::optional<long double> v = EditNumber(edit);
    if (v && *v > 0) return v;
    return std::nullopt;
}

bool PointCellsReadable(QWidget* parent, const IGrid& grid, std::initializer_list<int> cols,
                        bool emptyAllowed) {
    const std::optional<UnreadableCell> bad = FirstUnreadableCell(grid, cols, emptyAllowed);
    if (!bad) return true;
    const std::string title = grid.Cell(bad->col, 0);
    ShowErrorBox(parent, QString("Il punto \"%1\" ha nella colonna %2 \"%3\", che non è un numero: "
                                 "correggerlo e ripetere.")
                             .arg(QString::fromStdString(grid.Cell(0, bad->row)),
                                  title.empty() ? QString::number(bad->col)
                                                : "\"" + QString::fromStdString(title) + "\"",
                                  QString::fromStdString(grid.Cell(bad->col, bad->row))));
    return false;
}

QString PositiveFieldText(const QString& field) {
    return QString("\"%1\" deve essere un numero maggiore di zero.").arg(field);
}

std::optional<long double> RequirePositive(QWidget* parent, const QLineEdit* edit,
                                           const QString& field) {
    const std::optional<long double> v = PositiveEditNumber(edit);
    if (!v) ShowErrorBox(parent, PositiveFieldText(field));
    return v;
}

QString FixedText(long double value, int precision, int decimals) {
    return QString::fromStdString(FormatFixed(value, precision, decimals));
}

void SetNormalized(QLineEdit* edit, const QString& text) {
    edit->setText(text);
    NormalizeEditDecimal(edit);
}

StringGrid* MakeTableGrid(QWidget* parent, int cols, int rows, const QVector<int>& widths,
                          bool editable) {
    auto* grid = new StringGrid(cols, rows, parent);
    grid->setObjectName("StringGrid1");
    grid->SetColumnWidths(widths);
    grid->SetEditable(editable);
    if (!parent->layout()) {
        auto* l = new QVBoxLayout(parent);
        l->setContentsMargins(0, 0, 0, 0);
    }
    parent->layout()->addWidget(grid);
    return grid;
}
