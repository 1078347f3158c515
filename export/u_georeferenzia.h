// The georeferencing window: the six lines of the world file of a saved
// rectified picture, proposed from the other windows, editable, and saved as
// they stand.
#pragma once

#include <QLabel>
#include <QLineEdit>
#include <array>
#include <optional>

#include "export/u_scrivitiff.h"
#include "platform/controls.h"
#include "platform/dialogs.h"
#include "platform/statusbar.h"

class TFormGeoreferenzia : public ToolWindow {
    Q_OBJECT
public:
    explicit TFormGeoreferenzia(QWidget* parent = nullptr);
    QLineEdit *Edit1, *Edit2, *Edit3, *Edit4, *Edit5, *Edit6;  // lines 1 to 6 of the file
    QLineEdit* Edit7;  // "Codice EPSG" of a GeoTIFF; empty: no reference system
    StatusBar* StatusBar1;
    FileDialog SaveDialog1;

    // Overwrites the six fields with the proposal of the checked method:
    // analytic (or none) from the scale dialog's pixel size and the area's
    // Xin, Yin; geometric from the ratio dialog's pixel size, "0.000" and the
    // object height in the main window's Edit6.
    void ProposeWorldFile();

    // The placement of a rectified picture saved as GeoTIFF: the six lines
    // (proposed first when one is empty) and the EPSG code. A line that is no
    // number or a code that is not a whole positive number gets a message
    // box, and the answer is empty.
    std::optional<GeoTiffPlacement> PlacementForGeoTiff();

public slots:
    // A cancelled dialog writes nothing; a failed write gets a message box.
    void Salvafilegeo1Click();
    void Chiudi1Click();

private:
    std::array<QLineEdit*, 6> Lines() const { return {Edit1, Edit2, Edit3, Edit4, Edit5, Edit6}; }
    // The six lines with a typed comma made a point; false, after a message
    // box naming the line, when one is not a number.
    bool ReadLines(WorldFileLines& lines);
};
