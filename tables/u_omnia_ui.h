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

// The row commands of the point tables (image points, DXF points): the
// edits hold name, x, y; panel 1 of the table's status bar the row pressed
// for delete or edit.
// The next point's name: the leading digits of this one counted on.
void CountOnName(QLineEdit* name);
// The edits written over the pressed row; nothing without a pressed row.
void WritePressedRow(StringGrid& grid, const StatusBar& status, QLineEdit* name, QLineEdit* x,
                     QLineEdit* y);
// Row k noted as pressed and deleted when it holds a point (a press below
// the points deletes nothing). True when a row went.
bool DeletePressedRow(StringGrid& grid, StatusBar& status, int k);
// Row k noted as pressed and its cells copied into the edits.
void LoadPressedRow(const StringGrid& grid, StatusBar& status, int k, QLineEdit* name, QLineEdit* x,
                    QLineEdit* y);

// Every cell of columns `cols` of the grid's points holds a number (an
// empty one counts when `emptyAllowed`); else one message box naming the
// point, the column and the text, and false.
bool PointCellsReadable(QWidget* parent, const IGrid& grid, std::initializer_list<int> cols,
                        bool emptyAllowed = false);

// A point is registered once: the click (or typing) that gives its
// coordinates in the x edit notes a new point, and registering takes it.
// Without a new point TakeNewPoint records nothing: false, and the status
// bar's `panel` says why.
void NoteNewPoint(QLineEdit* x);
bool TakeNewPoint(QLineEdit* x, StatusBar& status, int panel);

// A grid that fills its tool window's body, with the given design values.
StringGrid* MakeTableGrid(QWidget* parent, int cols, int rows, const QVector<int>& widths,
                          bool editable);

// The bottom of a point table window: a row of the edit fields Edit1, Edit2,
// Edit3 (name, x, y) under what the body already holds, and below the body
// the window's StatusBar1 with panels of the given widths.
void MakeEditRowAndStatusBar(ToolWindow* window, QLineEdit*& edit1, QLineEdit*& edit2,
                             QLineEdit*& edit3, StatusBar*& statusBar,
                             std::initializer_list<int> panelWidths);
