// The table grid widget: row 0 is the title row (shown as the column
// headers), rows 1.. the data. Cells live in a GridCells, so the table
// routines of the core work on the widget directly through IGrid.
#pragma once

#include <QAbstractTableModel>
#include <QSet>
#include <QTableView>

#include "platform/igrid.h"

class StringGrid;

class GridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit GridModel(StringGrid* grid) : grid_(grid) {}
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    QVariant headerData(int section, Qt::Orientation o, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    void Reset() {
        beginResetModel();
        endResetModel();
    }
    void CellChanged(int col, int row);

private:
    StringGrid* grid_;
};

class StringGrid : public QTableView, public IGrid {
    Q_OBJECT
public:
    StringGrid(int cols, int rows, QWidget* parent = nullptr);
    // The designed column widths; FitColumnsToText never goes below them.
    void SetColumnWidths(const QVector<int>& widths);
    // Widens each shown column to show its widest text whole, title included.
    void FitColumnsToText();
    // The grid width that shows columns 0..n-1 whole: the columns, the frame
    // and the vertical scroll bar when it can show.
    int WidthForColumns(int n) const;
    void SetEditable(bool on);
    bool Editable() const { return editable_; }
    void SetRowSelect(bool on);

    int ColCount() const override { return cells_.ColCount(); }
    void SetColCount(int n) override;
    int RowCount() const override { return cells_.RowCount(); }
    void SetRowCount(int n) override;
    std::string Cell(int col, int row) const override { return cells_.Cell(col, row); }
    void SetCell(int col, int row, const std::string& text) override;
    int TopRow() const override;
    void SetTopRow(int row) override;
    GridRect Selection() const override;
    void SetSelection(const GridRect& r) override;
    void Repaint() override { viewport()->update(); }

    QString Cells(int col, int row) const { return QString::fromStdString(Cell(col, row)); }
    void SetCells(int col, int row, const QString& t) { SetCell(col, row, t.toStdString()); }
    // A marked data row stands out (colour, bold, " !" after its first
    // cell) without a change to its cells.
    void SetRowMarked(int row, bool on);
    bool RowMarked(int row) const { return marked_.contains(row); }
    void ClearRowMarks();

    // Screen rectangle (viewport coordinates) of a data row, for simulated presses.
    QRect RowRect(int row, int col = 0) const;

signals:
    // After a press has moved the selection: the grid's MouseDown event.
    void MouseDown(Qt::MouseButton button);

protected:
    void mousePressEvent(QMouseEvent* e) override;

private:
    GridCells cells_;
    GridModel model_;
    QVector<int> designWidths_;
    QSet<int> marked_;
    bool editable_ = false;
};
