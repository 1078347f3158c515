#include "platform/igrid.h"

GridCells::GridCells(int cols, int rows) : cols_(cols), rows_(rows) {}

void GridCells::SetColCount(int n) {
    cols_ = n < 1 ? 1 : n;
    for (auto& row : cells_)
        if (static_cast<int>(row.size()) > cols_) row.resize(cols_);
}

void GridCells::SetRowCount(int n) {
    rows_ = n < 1 ? 1 : n;
    if (static_cast<int>(cells_.size()) > rows_) cells_.resize(rows_);
}

std::string GridCells::Cell(int col, int row) const {
    if (row < 0 || col < 0 || row >= static_cast<int>(cells_.size())) return {};
    const auto& r = cells_[row];
    return col < static_cast<int>(r.size()) ? r[col] : std::string();
}

void GridCells::SetCell(int col, int row, const std::string& text) {
    if (row < 0 || col < 0 || col >= cols_) return;
    if (row >= static_cast<int>(cells_.size())) {
        if (text.empty()) return;
        cells_.resize(row + 1);
    }
    auto& r = cells_[row];
    if (col >= static_cast<int>(r.size())) {
        if (text.empty()) return;
        r.resize(col + 1);
    }
    r[col] = text;
}
