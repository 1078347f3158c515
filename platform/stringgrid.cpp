#include "platform/stringgrid.h"

#include <QColor>
#include <QFont>
#include <QHeaderView>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStyle>

namespace {
// A cell shows at most this many bytes of its text: no column is wide enough
// for more, and laying out a text of megabytes (a whole file read as one
// name) would hold the window for a minute at every repaint. The cell keeps
// its whole text for editing, saving and every computation.
constexpr std::size_t kMaxShownBytes = 1024;

QString ShownText(std::string text) {
    if (text.size() > kMaxShownBytes) {
        std::size_t cut = kMaxShownBytes;
        while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
        text.resize(cut);
        text += "\u2026";
    }
    return QString::fromStdString(text);
}
}  // namespace

// Model rows are grid rows 1..RowCount-1; row 0 is the header.
int GridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : std::max(0, grid_->RowCount() - 1);
}

int GridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : grid_->ColCount();
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
    const bool marked = grid_->RowMarked(index.row() + 1);
    if (role == Qt::DisplayRole) {
        const QString text = ShownText(grid_->Cell(index.column(), index.row() + 1));
        // The mark shows beside the name, so it survives a print in grey.
        return marked && index.column() == 0 ? text + " !" : text;
    }
    if (marked && role == Qt::BackgroundRole) return QColor(255, 186, 120);
    if (marked && role == Qt::FontRole) {
        QFont f = grid_->font();
        f.setBold(true);
        return f;
    }
    if (role != Qt::EditRole) return {};
    return grid_->Cells(index.column(), index.row() + 1);
}

bool GridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole) return false;
    grid_->SetCells(index.column(), index.row() + 1, value.toString());
    return true;
}

QVariant GridModel::headerData(int section, Qt::Orientation o, int role) const {
    if (role != Qt::DisplayRole || o != Qt::Horizontal) return {};
    return grid_->Cells(section, 0);
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (grid_->Editable()) f |= Qt::ItemIsEditable;
    return f;
}

void GridModel::CellChanged(int col, int row) {
    if (row == 0) {
        emit headerDataChanged(Qt::Horizontal, col, col);
    } else if (row < grid_->RowCount()) {
        const QModelIndex i = index(row - 1, col);
        emit dataChanged(i, i);
    }
}

StringGrid::StringGrid(int cols, int rows, QWidget* parent)
    : QTableView(parent), cells_(cols, rows), model_(this) {
    setModel(&model_);
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(16);
    verticalHeader()->setMinimumSectionSize(16);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setWordWrap(false);
}

void StringGrid::SetColumnWidths(const QVector<int>& widths) {
    designWidths_ = widths;
    for (int i = 0; i < widths.size(); ++i) setColumnWidth(i, widths[i]);
}

void StringGrid::FitColumnsToText() {
    const QFontMetrics fm(font());
    // A cell's text stands between two focus-frame margins and a grid line.
    const int pad = 2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1) + 1;
    for (int c = 0; c < ColCount(); ++c) {
        if (isColumnHidden(c)) continue;
        int w = std::max(c < designWidths_.size() ? designWidths_[c] : columnWidth(c),
                         horizontalHeader()->sectionSizeHint(c));
        for (int r = 1; r < RowCount(); ++r) {
            const std::string& text = cells_.Cell(c, r);
            if (columnSpan(r - 1, c) > 1) continue;  // a heading across the row
            if (!text.empty())
                w = std::max(w, fm.horizontalAdvance(QString::fromStdString(text)) + pad);
        }
        setColumnWidth(c, w);
    }
}

int StringGrid::WidthForColumns(int n) const {
    int w = 2 * frameWidth();
    for (int c = 0; c < n && c < ColCount(); ++c) w += columnWidth(c);
    if (verticalScrollBarPolicy() != Qt::ScrollBarAlwaysOff)
        w += style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    return w;
}

void StringGrid::SetEditable(bool on) {
    editable_ = on;
    setEditTriggers(on ? QAbstractItemView::AllEditTriggers : QAbstractItemView::NoEditTriggers);
}

void StringGrid::SetRowSelect(bool on) {
    setSelectionBehavior(on ? QAbstractItemView::SelectRows : QAbstractItemView::SelectItems);
}

void StringGrid::SetColCount(int n) {
    cells_.SetColCount(n);
    model_.Reset();
}

void StringGrid::SetRowCount(int n) {
    const GridRect sel = Selection();
    const int top = TopRow();
    cells_.SetRowCount(n);
    model_.Reset();
    SetSelection(sel);
    SetTopRow(top);
}

void StringGrid::SetCell(int col, int row, const std::string& text) {
    cells_.SetCell(col, row, text);
    model_.CellChanged(col, row);
}

int StringGrid::TopRow() const {
    const int r = rowAt(0);
    return r < 0 ? 1 : r + 1;
}

void StringGrid::SetTopRow(int row) {
    if (row < 1 || row >= RowCount()) return;
    verticalScrollBar()->setValue(row - 1);
}

GridRect StringGrid::Selection() const {
    const QModelIndexList sel = selectionModel()->selectedIndexes();
    const QModelIndex cur = currentIndex();
    if (sel.isEmpty()) {
        const int r = cur.isValid() ? cur.row() + 1 : 1;
        const int c = cur.isValid() ? cur.column() : 0;
        return {c, r, c, r};
    }
    GridRect g{INT_MAX, INT_MAX, -1, -1};
    for (const QModelIndex& i : sel) {
        g.left = std::min(g.left, i.column());
        g.right = std::max(g.right, i.column());
        g.top = std::min(g.top, i.row() + 1);
        g.bottom = std::max(g.bottom, i.row() + 1);
    }
    return g;
}

void StringGrid::SetSelection(const GridRect& r) {
    if (r.top < 1 || r.top >= RowCount()) return;
    const int bottom = std::min(r.bottom, RowCount() - 1);
    const int right = std::min(r.right, ColCount() - 1);
    const QItemSelection s(model_.index(r.top - 1, r.left), model_.index(bottom - 1, right));
    selectionModel()->setCurrentIndex(model_.index(r.top - 1, r.left),
                                      QItemSelectionModel::NoUpdate);
    selectionModel()->select(s, QItemSelectionModel::ClearAndSelect);
}

QRect StringGrid::RowRect(int row, int col) const { return visualRect(model_.index(row - 1, col)); }

void StringGrid::mousePressEvent(QMouseEvent* e) {
    QTableView::mousePressEvent(e);
    emit MouseDown(e->button());
}

void StringGrid::SetRowMarked(int row, bool on) {
    if (on == RowMarked(row)) return;
    if (on)
        marked_.insert(row);
    else
        marked_.remove(row);
    viewport()->update();
}

void StringGrid::ClearRowMarks() {
    marked_.clear();
    viewport()->update();
}
