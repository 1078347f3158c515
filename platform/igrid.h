// A string grid as the tables see it: cells addressed (column, row), row 0
// the title row, a row count that is only a display size, a top row and a
// selection. The toolkit's grid widget implements it; GridCells is the plain
// storage both the widget and the core tests use.
#pragma once

#include <string>
#include <vector>

struct GridRect {
    int left = 0, top = 0, right = 0, bottom = 0;  // columns left..right, rows top..bottom
};

class IGrid {
public:
    virtual ~IGrid() = default;
    virtual int ColCount() const = 0;
    virtual void SetColCount(int n) = 0;
    virtual int RowCount() const = 0;
    // Shrinking drops the cells of the removed rows; growing adds empty rows.
    virtual void SetRowCount(int n) = 0;
    // Reading outside the stored cells gives "". Writing below the row count
    // stores the text all the same (the row count is only what is shown), so
    // a point can be appended before the count grows.
    virtual std::string Cell(int col, int row) const = 0;
    virtual void SetCell(int col, int row, const std::string& text) = 0;
    virtual int TopRow() const = 0;
    virtual void SetTopRow(int row) = 0;
    virtual GridRect Selection() const = 0;
    virtual void SetSelection(const GridRect& r) = 0;
    virtual void Repaint() = 0;
};

// Plain in-memory grid: the storage behind the widget, and a stand-in in tests.
class GridCells : public IGrid {
public:
    GridCells(int cols = 3, int rows = 500);
    int ColCount() const override { return cols_; }
    void SetColCount(int n) override;
    int RowCount() const override { return rows_; }
    void SetRowCount(int n) override;
    std::string Cell(int col, int row) const override;
    void SetCell(int col, int row, const std::string& text) override;
    int TopRow() const override { return topRow_; }
    void SetTopRow(int row) override { topRow_ = row; }
    GridRect Selection() const override { return selection_; }
    void SetSelection(const GridRect& r) override { selection_ = r; }
    void Repaint() override {}

private:
    int cols_;
    int rows_;
    int topRow_ = 1;
    GridRect selection_{0, 1, 0, 1};
    std::vector<std::vector<std::string>> cells_;  // [row][col], may run past rows_
};
