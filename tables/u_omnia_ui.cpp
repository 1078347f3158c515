#include "tables/u_omnia_ui.h"

#include <QVBoxLayout>

#include "tables/u_omnia.h"
#include "tables/u_stringhe.h"

bool LoadTable(FileDialog& dialog, StringGrid& grid, const std::string& keyword) {
    if (!dialog.Execute(grid.window())) return false;
    const std::string path = dialog.FileName.toStdString();
    std::vector<TablePoint> points;
    if (HasTableReader(keyword)) {
        const TableIo result = ReadTableFile(path, keyword, points);
        if (result != TableIo::Ok) {
            ShowErrorBox(grid.window(), QString::fromStdString(TableIoMessage(result, path)));
            return false;
        }
    }
    ClearTable(grid);
    FillTableGrid(grid, points, keyword);
    FitRowCount(grid);
    NormalizeGridDecimals(grid);
    grid.Repaint();
    return true;
}

bool SaveTable(FileDialog& dialog, const StringGrid& grid, const std::string& keyword) {
    if (!dialog.Execute(grid.window())) return false;
    if (!HasTableWriter(keyword)) return false;
    const std::string path = dialog.FileName.toStdString();
    const TableIo result = WriteTableFile(path, grid, keyword);
    if (result != TableIo::Ok) {
        ShowErrorBox(grid.window(), QString::fromStdString(TableIoMessage(result, path)));
        return false;
    }
    return true;
}

void NormalizeEditDecimal(QLineEdit* edit) {
    edit->setText(QString::fromStdString(NormalizeDecimalText(edit->text().toStdString())));
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
