// Loading and saving a table grid through its window's dialogs, and the
// decimal normalisation of edit fields.
#pragma once

#include <QLineEdit>
#include <initializer_list>
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
// Runs the save dialog and writes the grid; a cancel writes nothing, a
// failed write shows a message box. True when a file was written.
bool SaveTable(FileDialog& dialog, const StringGrid& grid, const std::string& keyword);

// The first "," of the edit's text becomes ".".
void NormalizeEditDecimal(QLineEdit* edit);
// The edit's text as a real (TextToReal).
long double EditReal(const QLineEdit* edit);
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

// A grid that fills its tool window's body, with the given design values.
StringGrid* MakeTableGrid(QWidget* parent, int cols, int rows, const QVector<int>& widths,
                          bool editable);

// The bottom of a point table window: a row of the edit fields Edit1, Edit2,
// Edit3 (name, x, y) under what the body already holds, and below the body
// the window's StatusBar1 with panels of the given widths.
void MakeEditRowAndStatusBar(ToolWindow* window, QLineEdit*& edit1, QLineEdit*& edit2,
                             QLineEdit*& edit3, StatusBar*& statusBar,
                             std::initializer_list<int> panelWidths);
