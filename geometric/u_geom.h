// The parallel-lines window: the two families of lines, their vanishing
// points and the commands of the geometric method up to its parameters.
// The lines live in two hidden grids, one row a line: "r", x1, y1, x2, y2 in
// source pixels (column, row from the top), written as integers.
#pragma once

#include <QLineEdit>

#include "platform/controls.h"
#include "platform/statusbar.h"
#include "platform/stringgrid.h"

class TFormGeom : public ToolWindow {
    Q_OBJECT
public:
    explicit TFormGeom(QWidget* parent = nullptr);
    QLineEdit *Edit1, *Edit2, *Edit3, *Edit4, *Edit5, *Edit6;
    StringGrid* StringGrid1;  // vertical lines (never shown)
    StringGrid* StringGrid2;  // horizontal lines (never shown)
    StatusBar* StatusBar1;

    // The line branches of the source image's press: with the left button
    // and the family's mode checked, a click gives the first end of a line
    // (and starts the rubber band) or its second end (and draws the line).
    // A family holds at most MaxLinesPerFamily lines: a further first end is
    // refused with a text in the main status bar.
    void VerticalLineBranch(Qt::MouseButton button, int x, int y);
    void HorizontalLineBranch(Qt::MouseButton button, int x, int y);
    // White dash-dot segments for the complete lines of a line grid.
    void RedrawLines(const StringGrid& grid);

public slots:
    void Retteorizzontali1Click();
    void Rettevertivali1Click();
    void Calcolopuntidifuga1Click();
    void Calcoloparametri1Click();
    void Eliminaultimaretta1Click();
    void Resetretteorizzontali1Click();
    void Resetretteverticali1Click();
    void Chiudi1Click();

private:
    void LineBranch(bool vertical, Qt::MouseButton button, int x, int y);
    void ResetFamily(bool vertical);
    // A line whose first end is clicked but not its second is dropped and
    // the rubber band ends; the picture is cleaned and the lines redrawn.
    // True when there was one.
    bool DiscardPendingLine();
    void RestorePictureAndLines();
    void DrawProlongedLines();
    // Status text, message box, parameters emptied and not ready.
    void RefuseParameters(const QString& reason);
};

// Xin, Yin, Xfin, Yfin of the area window from its four corners, through the
// transformation of the chosen method (the analytic one re-estimated from the
// union table with upward ordinates), each with three decimals to ten
// significant digits or more. A failure leaves them as they were,
// shows a message box and returns false.
bool ComputeAreaExtent();
