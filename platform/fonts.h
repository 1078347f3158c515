// The fonts the windows are designed in, and the program's icon.
#pragma once

#include <QFont>
#include <QIcon>
#include <QString>

// Maps the designed font names to metric-compatible free fonts through
// fontconfig: "MS Sans Serif" to Liberation Sans, "Times New Roman" to
// Liberation Serif (Debian's fonts-liberation). Call before the
// QApplication is made, so that no font has been matched yet.
void MapDesignFonts();

// "MS Sans Serif" of height -11: 11 pixels whatever the screen's resolution.
QFont DesignFont();

// The windows' labels are set in "Times New Roman": bold 13 pixels unless
// asked otherwise (the program's name in the about windows is 48 pixels).
enum class LabelWeight { Regular, Bold };
QFont LabelFont(LabelWeight weight = LabelWeight::Bold, int pixelSize = 13);

// Vek's own icon, for every window.
QIcon VekIcon();

// The width a window needs for its caption to show whole in the window
// manager's title bar (a bold sans title font, the icon and the buttons).
int TitleFitWidth(const QString& caption);
