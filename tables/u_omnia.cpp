#include "tables/u_omnia.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <initializer_list>
#include <string_view>
#include <unordered_map>

#include "tables/u_stringhe.h"

namespace {

// Columns 1.. of a layout and the decimals each shows after a load; empty for
// a keyword without a reader.
std::vector<int> LayoutDecimals(const std::string& keyword) {
    if (keyword == "nxy") return {0, 0};
    if (keyword == "nxy_1") return {3, 3};
    if (keyword == "nxyz") return {3, 3, 3};
    if (keyword == "nxyxy") return {0, 0, 3, 3};
    if (keyword == "nxyxyz") return {0, 0, 3, 3, 3};
    return {};
}

// Last column a writer saves; 0 for a keyword without a writer.
int WriterLastColumn(const std::string& keyword) {
    if (keyword == "nxy") return 2;
    if (keyword == "nxyz") return 3;
    if (keyword == "nxyxy") return 4;
    if (keyword == "nxyxyz") return 5;
    return 0;
}

constexpr int FileSignificantDigits = 10;

void EmptyColumns(IGrid& grid, int row, int firstCol, int lastCol) {
    for (int c = firstCol; c <= lastCol; ++c) grid.SetCell(c, row, "");
}

}  // namespace

void SetTableHeader(IGrid& grid, const std::string& keyword) {
    grid.SetCell(0, 0, "nome");
    grid.SetCell(1, 0, "   x");
    grid.SetCell(2, 0, "   y");
    auto titles = [&grid](std::initializer_list<const char*> rest) {
        int col = 3;
        for (const char* t : rest) grid.SetCell(col++, 0, t);
    };
    if (keyword == "nxyz") {
        titles({"   z"});
    } else if (keyword == "nxyxy") {
        titles({"   X", "   Y", " *"});
    } else if (keyword == "nxyxyz") {
        titles({"   X", "   Y", "   Z"});
    } else if (keyword == "nxyrxry") {
        titles({" res x", " res y", " res stand x", " res stand y"});
    } else if (keyword == "nrette") {
        grid.SetCell(1, 0, "  x1");
        grid.SetCell(2, 0, "  y1");
        titles({"  x2", "  y2"});
    } else if (keyword == "npar") {
        grid.SetCell(1, 0, " valore");
        grid.SetCell(2, 0, " varcovar");
    }
}

int CountPoints(const IGrid& grid) {
    int n = 0;
    while (!grid.Cell(1, n + 1).empty()) ++n;
    return n;
}

void FitRowCount(IGrid& grid) {
    int n = CountPoints(grid);
    if (n > 1) grid.SetRowCount(n + 1);
}

void ClearTable(IGrid& grid) {
    int n = CountPoints(grid);
    for (int r = 1; r <= n; ++r) EmptyColumns(grid, r, 0, grid.ColCount() - 1);
}

void ClearColumn(IGrid& grid, int col) {
    // Rows written past the shown count by an append are table rows too.
    int last = std::max(grid.RowCount() - 1, CountPoints(grid));
    for (int r = 1; r <= last; ++r) grid.SetCell(col, r, "");
}

void ClearGrid(IGrid& grid) {
    for (int c = 0; c < grid.ColCount(); ++c) ClearColumn(grid, c);
}

namespace {

// The row count grows first so that the new row exists when it is selected
// and scrolled to; the final state is the same either way.
void AppendPoint(IGrid& grid, const std::string& name, const std::string& x, const std::string& y) {
    int n = CountPoints(grid);
    int r = n + 1;
    grid.SetRowCount(n + 2);
    grid.SetCell(0, r, name);
    grid.SetCell(1, r, x);
    grid.SetCell(2, r, y);
    grid.SetSelection(GridRect{0, r, 2, r});
    grid.SetTopRow(r);
    grid.Repaint();
}

}  // namespace

void AppendPixelPoint(IGrid& grid, const std::string& name, long long x, long long y) {
    AppendPoint(grid, name, std::to_string(x), std::to_string(y));
}

void AppendMetricPoint(IGrid& grid, const std::string& name, long double X, long double Y) {
    grid.SetColCount(3);
    AppendPoint(grid, name, FormatFixed(X, PrecisionKeepingDecimals(X, 10, 3), 3),
                FormatFixed(Y, PrecisionKeepingDecimals(Y, 10, 3), 3));
}

void DeleteTableRow(IGrid& grid, int k) {
    int n = CountPoints(grid);
    if (k >= 1 && n > 1) {
        if (k <= n) {
            for (int i = k; i <= n; ++i)
                for (int c = 0; c <= 2; ++c) grid.SetCell(c, i, grid.Cell(c, i + 1));
        }
        // With k past the table nothing moved, and this removes the last point.
        EmptyColumns(grid, n, 0, 2);
        grid.SetRowCount(n);
    } else if (n == 1) {
        EmptyColumns(grid, 1, 0, 2);
    }
    grid.Repaint();
}

void NormalizeGridDecimals(IGrid& grid) {
    int n = CountPoints(grid);
    for (int r = 1; r <= n; ++r)
        for (int c = 1; c < grid.ColCount(); ++c) {
            std::string text = grid.Cell(c, r);
            if (text.find(',') != std::string::npos) grid.SetCell(c, r, NormalizeDecimalText(text));
        }
}

std::optional<UnreadableCell> FirstUnreadableCell(const IGrid& grid,
                                                  std::initializer_list<int> cols,
                                                  bool emptyAllowed) {
    const int n = CountPoints(grid);
    for (int r = 1; r <= n; ++r)
        for (int c : cols) {
            const std::string text = grid.Cell(c, r);
            if (emptyAllowed && text.empty()) continue;
            if (!ReadTypedNumber(text)) return UnreadableCell{c, r};
        }
    return std::nullopt;
}

void BuildUnionTable(const IGrid& image, const IGrid& object, IGrid& uni) {
    int nImg = CountPoints(image);
    int nObj = CountPoints(object);
    ClearTable(uni);
    ClearColumn(uni, 5);  // exclusion marks never survive a rebuild
    int out = 1;
    for (int i = 1; i <= nImg; ++i) {
        std::string name = image.Cell(0, i);
        for (int j = 1; j <= nObj; ++j) {
            if (object.Cell(0, j) != name) continue;
            uni.SetCell(0, out, name);
            uni.SetCell(1, out, image.Cell(1, i));
            uni.SetCell(2, out, image.Cell(2, i));
            uni.SetCell(3, out, object.Cell(1, j));
            uni.SetCell(4, out, object.Cell(2, j));
            ++out;
        }
    }
    FitRowCount(uni);
}

bool HasTableReader(const std::string& keyword) { return !LayoutDecimals(keyword).empty(); }

bool HasTableWriter(const std::string& keyword) { return WriterLastColumn(keyword) > 0; }

namespace {

// Cuts a UTF-8 text after `count` characters; true when something was cut.
bool CutToCharacters(std::string& text, size_t count) {
    size_t chars = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) continue;
        if (chars++ == count) {
            text.resize(i);
            return true;
        }
    }
    return false;
}

bool IsFieldBlank(char c) { return c == ' ' || c == '\t'; }

// Tells where the lines holding `points` points end, fed a file in pieces:
// `end` becomes the byte offset just past the line end of the line that
// holds point number `points`.
class PointLineCounter {
public:
    explicit PointLineCounter(size_t points) : points_(points) {}
    // Returns true once the line is found (then `end` is set).
    bool Feed(std::string_view piece, size_t offset) {
        for (size_t i = 0; i < piece.size(); ++i) {
            char c = piece[i];
            if (c == '\r' || c == '\n') {
                if (content_ && ++count_ == points_) {
                    end = offset + i + 1;
                    return true;
                }
                content_ = false;
            } else if (!IsFieldBlank(c)) {
                content_ = true;
            }
        }
        return false;
    }
    size_t end = 0;

private:
    size_t points_;
    size_t count_ = 0;
    bool content_ = false;
};

}  // namespace

TableRead ParseTableText(const std::string& utf8Text, const std::string& keyword) {
    TableRead read;
    const size_t coords = LayoutDecimals(keyword).size();
    if (coords == 0) return read;
    std::string_view text = utf8Text;
    if (size_t eof = text.find('\x1A'); eof != std::string_view::npos) text = text.substr(0, eof);
    std::unordered_map<std::string, int> firstLineOf;
    size_t pos = 0;
    for (int lineNo = 1; pos < text.size(); ++lineNo) {
        size_t stop = text.find_first_of("\r\n", pos);
        std::string_view line =
            text.substr(pos, stop == std::string_view::npos ? stop : stop - pos);
        if (stop == std::string_view::npos)
            pos = text.size();
        else if (text[stop] == '\r' && stop + 1 < text.size() && text[stop + 1] == '\n')
            pos = stop + 2;
        else
            pos = stop + 1;

        // A comma is always a decimal separator, never a field separator; a
        // tab, as spreadsheets write, separates fields like a blank.
        std::string clean(line);
        for (char& ch : clean) {
            if (ch == ',') ch = '.';
            if (ch == '\t') ch = ' ';
        }
        LineFields fields = SplitFields(clean);
        if (fields[0].empty()) continue;  // a blank line
        if (read.points.size() == static_cast<size_t>(MaxTablePoints)) {
            read.issues.push_back({lineNo, LineFault::PastLimit});
            break;
        }
        TablePoint p;
        p.name = std::move(fields[0]);
        if (CutToCharacters(p.name, MaxNameLength))
            read.issues.push_back({lineNo, LineFault::LongName});
        for (size_t c = 0; c < coords; ++c) {
            bool readable = false;
            p.coord[c] = ParseReal(fields[c + 1], &readable);
            if (!readable) {
                LineFault fault =
                    fields[c + 1].empty() ? LineFault::MissingValue : LineFault::UnreadableValue;
                read.issues.push_back({lineNo, fault, static_cast<int>(c) + 1});
            }
        }
        auto [at, fresh] = firstLineOf.emplace(p.name, lineNo);
        if (!fresh) read.issues.push_back({lineNo, LineFault::DuplicateName, 0, at->second});
        read.points.push_back(std::move(p));
    }
    return read;
}

TableIo ReadTableFile(const std::string& path, const std::string& keyword, TableRead& read) {
    read = TableRead{};
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) return TableIo::CannotOpen;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return TableIo::CannotOpen;
    // The whole file decides between UTF-8 and Windows-1252, but only the
    // lines up to the one past the last point that a table holds are kept,
    // so a huge file picked by mistake costs one pass and no memory.
    PointLineCounter counter(MaxTablePoints + 1);
    Utf8Check utf8;
    std::string bytes;
    bool keeping = true;
    std::vector<char> buf(1 << 16);
    size_t got;
    while ((got = std::fread(buf.data(), 1, buf.size(), f)) > 0) {
        std::string_view piece(buf.data(), got);
        utf8.Feed(piece);
        if (!keeping) continue;
        const size_t offset = bytes.size();
        bytes.append(piece);
        if (counter.Feed(piece, offset)) {
            bytes.resize(counter.end);
            keeping = false;
        }
    }
    bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed) return TableIo::ReadError;
    read = ParseTableText(DecodeFileText(bytes, utf8.Valid()), keyword);
    return TableIo::Ok;
}

void FillTableGrid(IGrid& grid, const std::vector<TablePoint>& points, const std::string& keyword) {
    const std::vector<int> decimals = LayoutDecimals(keyword);
    if (decimals.empty()) return;
    for (size_t i = 0; i < points.size() && i < static_cast<size_t>(MaxTablePoints); ++i) {
        const TablePoint& p = points[i];
        int row = static_cast<int>(i) + 1;
        grid.SetCell(0, row, p.name);
        for (size_t c = 0; c < decimals.size(); ++c)
            grid.SetCell(static_cast<int>(c) + 1, row,
                         FormatFixed(p.coord[c], FileSignificantDigits, decimals[c]));
    }
}

std::string TableFileText(const IGrid& grid, const std::string& keyword) {
    const int last = WriterLastColumn(keyword);
    std::string text;
    if (last == 0) return text;
    for (int r = 1; !grid.Cell(0, r).empty(); ++r) {
        for (int c = 0; c <= last; ++c) {
            if (c > 0) text += "  ";
            text += grid.Cell(c, r);
        }
        text += "\r\n";
    }
    return text;
}

std::string TableFileBytes(const IGrid& grid, const std::string& keyword) {
    return EncodeFileText(TableFileText(grid, keyword));
}
