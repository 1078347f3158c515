#include "tables/u_omnia_ui.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "platform/fileio.h"
#include "tables/u_omnia.h"
#include "tables/u_stringhe.h"

namespace {
FileFailure ReadFailureOf(TableIo result) {
    return result == TableIo::ReadError ? FileFailure::ReadError : FileFailure::CannotOpen;
}
}  // namespace

bool LoadTable(FileDialog& dialog, StringGrid& grid, const std::string& keyword) {
    if (!dialog.Execute(grid.window())) return false;
    const std::string path = PathFromDialogName(dialog.FileName);
    std::vector<TablePoint> points;
    if (HasTableReader(keyword)) {
        const TableIo result = ReadTableFile(path, keyword, points);
        if (result != TableIo::Ok) {
            ShowErrorBox(grid.window(), FileFailureMessage(ReadFailureOf(result), dialog.FileName));
            return false;
        }
    }
    ClearGrid(grid);
    FillTableGrid(grid, points, keyword);
    FitRowCount(grid);
    NormalizeGridDecimals(grid);
    grid.Repaint();
    return true;
}

bool SaveTable(FileDialog& dialog, const StringGrid& grid, const std::string& keyword) {
    if (!dialog.Execute(grid.window())) return false;
    if (!HasTableWriter(keyword)) return false;
    return SaveFileBytes(grid.window(), dialog.FileName, TableFileBytes(grid, keyword));
}

void NormalizeEditDecimal(QLineEdit* edit) {
    // Only a changed text is written back, so that the caret and the undo
    // history of a field being typed in stay where they are.
    const QString text = QString::fromStdString(NormalizeDecimalText(edit->text().toStdString()));
    if (text != edit->text()) edit->setText(text);
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

void MakeEditRowAndStatusBar(ToolWindow* window, QLineEdit*& edit1, QLineEdit*& edit2,
                             QLineEdit*& edit3, StatusBar*& statusBar,
                             std::initializer_list<int> panelWidths) {
    auto* panel = new QWidget(window->Body());
    auto* row = new QHBoxLayout(panel);
    row->setContentsMargins(2, 2, 2, 2);
    edit1 = MakeEdit("Edit1", panel);
    edit2 = MakeEdit("Edit2", panel);
    edit3 = MakeEdit("Edit3", panel);
    for (QLineEdit* e : {edit1, edit2, edit3}) row->addWidget(e);
    window->Body()->layout()->addWidget(panel);
    statusBar = window->AddStatusBar(panelWidths);
}
