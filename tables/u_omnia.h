// Shared table routines: titles, counting, fitting, clearing, appending,
// deleting, decimal normalisation, the union build, and the table file
// readers and writers. A table is the block of rows from row 1 whose
// column-1 cell is not empty.
#pragma once

#include <array>
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
void AppendMetricPoint(IGrid& grid, const std::string& name, long double X, long double Y);
// Removes table row k (columns 0..2 move up) and sets the row count to the
// old point count. k past the table removes the last point; with one point
// row 1 is emptied whatever k is. k < 1 (the title row) changes nothing when
// the table holds more than one point.
void DeleteTableRow(IGrid& grid, int k);
void NormalizeGridDecimals(IGrid& grid);
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

// Lines end at CR LF, LF or CR; Ctrl-Z ends the file; commas become points;
// at most MaxTablePoints points. Unreadable fields are UnreadableValue.
// One entry per line read: a blank line gives an entry with an empty name
// (which ends the table when filling). A keyword without a reader gives none.
std::vector<TablePoint> ParseTableText(const std::string& utf8Text, const std::string& keyword);
// The file is decoded with DecodeFileText. A missing or unreadable file or a
// directory is CannotOpen; a failure while reading is ReadError. On failure
// `points` is empty.
TableIo ReadTableFile(const std::string& path, const std::string& keyword,
                      std::vector<TablePoint>& points);
// Rows 1.. get the points in order until the first empty name, formatted with
// the layout's decimals (6 significant digits).
void FillTableGrid(IGrid& grid, const std::vector<TablePoint>& points, const std::string& keyword);
// Rows 1.. while column 0 is filled: cells 0..k joined by two blanks, CR LF.
std::string TableFileText(const IGrid& grid, const std::string& keyword);
// The bytes of the table file: TableFileText in the file encoding
// (EncodeFileText). Empty for a keyword without a writer.
std::string TableFileBytes(const IGrid& grid, const std::string& keyword);
