// Loading and saving a table grid through its window's dialogs, and the
// decimal normalisation of edit fields.
#pragma once

#include <QLineEdit>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "platform/controls.h"
#include "platform/dialogs.h"
#include "platform/statusbar.h"
#include "platform/stringgrid.h"

// Runs the open dialog and reads the file into the grid with the layout of
// `keyword`. A cancelled dialog or an unreadable file leaves the grid as it
// was (the latter with a message box). Malformed lines and repeated names
// load as they read and are then listed in one message box. True when the
// grid was refilled.
bool LoadTable(FileDialog& dialog, StringGrid& grid, const std::string& keyword);
// Widens the grid's columns to show their texts whole and its window to
// show every column (the grid fills its window's width).
void FitGridWindow(StringGrid& grid);
// The message that lists the faulty lines of a loaded file (at most 20 lines).
struct LineIssue;
QString LoadIssuesText(const QString& path, const std::vector<LineIssue>& issues);
// The grid's points as they were last loaded or saved are noted in the
// grid; a table whose points differ from those holds work that a discard
// would lose. An empty table never does.
void MarkTableSaved(StringGrid& grid);
bool TableChangedSinceSaved(const StringGrid& grid);

// Runs the save dialog and writes the grid; a cancel writes nothing, a
// failed write shows a message box. True when a file was written.
bool SaveTable(FileDialog& dialog, StringGrid& grid, const std::string& keyword);

// The first "," of the edit's text becomes ".".
void NormalizeEditDecimal(QLineEdit* edit);
// The edit's text as a real (TextToReal).
long double EditReal(const QLineEdit* edit);
// The number typed in the edit, a decimal comma read as the point
// (ReadTypedNumber); nullopt when the text is not a number.
std::optional<long double> EditNumber(const QLineEdit* edit);
// The same, only when the number is greater than 0.
std::optional<long double> PositiveEditNumber(const QLineEdit* edit);
// Why a field cannot be used, naming it: the status bar text while the user
// types, and the one message of a command that refuses it.
QString PositiveFieldText(const QString& field);
// PositiveEditNumber, or the message box naming the field and nullopt.
std::optional<long double> RequirePositive(QWidget* parent, const QLineEdit* edit,
                                           const QString& field);
// FormatFixed as a QString, for the windows' fields and labels.
QString FixedText(long double value, int precision, int decimals);
// The text written into the edit, then its first "," made ".".
void SetNormalized(QLineEdit* edit, const QString& text);

// Every cell of columns `cols` of the grid's points holds a number (an
// empty one counts when `emptyAllowed`); else one message box naming the
// point, the column and the text, and false.
bool PointCellsReadable(QWidget* parent, const IGrid& grid, std::initializer_list<int> cols,
                        bool emptyAllowed = false);

// A grid that fills its tool window's body, with the given design values.
StringGrid* MakeTableGrid(QWidget* parent, int cols, int rows, const QVector<int>& widths,
                          bool editable);
