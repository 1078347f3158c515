// Shared table routines: titles, counting, fitting, clearing, appending,
// deleting, decimal normalisation, the union build, and the table file
// readers and writers. A table is the block of rows from row 1 whose
// column-1 cell is not empty.
#pragma once

#include <array>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "platform/igrid.h"

constexpr int MaxTablePoints = 500;

void SetTableHeader(IGrid& grid, const std::string& keyword);
int CountPoints(const IGrid& grid);
void FitRowCount(IGrid& grid);
void ClearTable(IGrid& grid);
// Empties one column in rows 1 up to the last shown row (or the last table
// row, when an append wrote past the shown count).
void ClearColumn(IGrid& grid, int col);
// Empties every cell of every data row, below the table too, so that text
// typed there cannot join a table that is loaded or built into the grid.
void ClearGrid(IGrid& grid);
void AppendPixelPoint(IGrid& grid, const std::string& name, long long x, long long y);
// X and Y with three decimals, to ten significant digits or more when the
// integer part needs them; the grid gets three columns.
void AppendMetricPoint(IGrid& grid, const std::string& name, long double X, long double Y);
// Removes table row k (columns 0..2 move up) and sets the row count to the
// old point count. k past the table removes the last point; with one point
// row 1 is emptied whatever k is. k < 1 (the title row) changes nothing when
// the table holds more than one point.
void DeleteTableRow(IGrid& grid, int k);
void NormalizeGridDecimals(IGrid& grid);
// A cell of the table (rows 1 .. CountPoints) that holds no number, read as
// ReadTypedNumber reads it (a decimal comma is the point).
struct UnreadableCell {
    int col = 0, row = 0;
};
// The first such cell, row by row, among columns `cols`; an empty cell
// counts only when `emptyAllowed` is false. nullopt when every cell reads.
std::optional<UnreadableCell> FirstUnreadableCell(const IGrid& grid,
                                                  std::initializer_list<int> cols,
                                                  bool emptyAllowed = false);
void BuildUnionTable(const IGrid& image, const IGrid& object, IGrid& uni);

struct TablePoint {
    std::string name;
    std::array<double, 5> coord{};
};

// The layouts that have a reader ("nxy", "nxy_1", "nxyz", "nxyxy", "nxyxyz")
// and those that have a writer ("nxy", "nxyz", "nxyxy", "nxyxyz").
bool HasTableReader(const std::string& keyword);
bool HasTableWriter(const std::string& keyword);

enum class TableIo { Ok, CannotOpen, ReadError, CannotCreate, WriteError, CloseError };

constexpr int MaxNameLength = 255;  // characters of a point name kept by a load

// What was wrong with a line of a table file. The line still loads as it
// reads (a coordinate that is missing or not a number becomes
// UnreadableValue, a long name is cut); the load lists these afterwards.
enum class LineFault {
    MissingValue,     // coordinate `value` has no field
    UnreadableValue,  // the field of coordinate `value` is not a number
    LongName,         // the name had more than MaxNameLength characters
    DuplicateName,    // the name was already on line `firstLine`
    PastLimit,        // a point past MaxTablePoints: this line and the rest are not read
};

struct LineIssue {
    int line = 0;  // 1-based line number in the file
    LineFault fault = LineFault::MissingValue;
    int value = 0;      // 1-based coordinate, for MissingValue and UnreadableValue
    int firstLine = 0;  // for DuplicateName
};

struct TableRead {
    std::vector<TablePoint> points;
    std::vector<LineIssue> issues;  // in line order
};

// Lines end at CR LF, LF or CR; Ctrl-Z ends the file; commas become points
// and tabs blanks; lines without fields are skipped; at most MaxTablePoints
// points. A keyword without a reader gives none.
TableRead ParseTableText(const std::string& utf8Text, const std::string& keyword);
// Reads the whole file once (linear in its size) and decodes it as UTF-8
// when the whole file is valid UTF-8, else as Windows-1252; only the lines
// up to the first one past MaxTablePoints points are kept in memory. A
// missing or unreadable file or a directory is CannotOpen; a failure while
// reading is ReadError. On failure `read` is empty.
TableIo ReadTableFile(const std::string& path, const std::string& keyword, TableRead& read);
// Rows 1.. get the points in order, formatted with the layout's decimals
// after rounding to 10 significant digits, so that a coordinate written with
// three decimals keeps every digit up to ten integer digits.
void FillTableGrid(IGrid& grid, const std::vector<TablePoint>& points, const std::string& keyword);
// Rows 1.. while column 0 is filled: cells 0..k joined by two blanks, CR LF.
std::string TableFileText(const IGrid& grid, const std::string& keyword);
// The bytes of the table file: TableFileText in the file encoding
// (EncodeFileText). Empty for a keyword without a writer.
std::string TableFileBytes(const IGrid& grid, const std::string& keyword);
