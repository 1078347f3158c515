// What the user entered by hand and has not saved since: points clicked,
// typed or edited in the image, object and DXF point tables, and the
// parallel lines. Before a command discards such work it asks, naming it.
#pragma once

#include <QStringList>

class QWidget;

class StringGrid;

// "i punti della tabella <table> non salvati" when the grid's points changed
// since their last load or save; nothing otherwise.
QStringList UnsavedPoints(const StringGrid& grid, const QString& table);
// What closing the photograph discards: the image and object tables when
// changed since their last load or save, the lines of both families.
QStringList UnsavedPhotographWork();
// The DXF point table when changed since its last load or save.
QStringList UnsavedDxfPoints();
// True when `lost` is empty, or when the user answers Yes to the question
// that lists it and says that `action` would discard it.
bool ConfirmDiscard(QWidget* parent, const QStringList& lost, const QString& action);
