// What the two point tables share, the image table and the DXF point table:
// a grid of name, x, y; below it the edit row Edit1, Edit2, Edit3 (name, x, y
// of the next or edited point) and StatusBar1 (panel 1: the row pressed for
// delete or edit); the commands that collimate, register, delete, edit and
// redraw points.
//
// A point is registered once: the click (or typing) that gives its x and y
// notes a pending point, and "Registra punto" takes it. Return in the table,
// or on a picture while the table collimates, registers as "Registra punto".
#pragma once

#include <QLineEdit>
#include <QVector>
#include <initializer_list>
#include <string>

#include "platform/controls.h"
#include "platform/statusbar.h"
#include "platform/stringgrid.h"

class PointTableWindow : public ToolWindow {
    Q_OBJECT
public:
    StringGrid* StringGrid1;
    QLineEdit *Edit1, *Edit2, *Edit3;
    StatusBar* StatusBar1;

    // Edit2 and Edit3 as given, and a pending point noted.
    void TakeClickedPoint(const QString& x, const QString& y);
    // True while clicks on the table's picture give it points.
    bool Collimating() const;

public slots:
    virtual void Iniziacollimazione1Click() = 0;
    void Registrapunto1Click();
    void Eliminapunto1Click();
    void Editapunto1Click();
    virtual void Resettabella1Click() = 0;
    void StringGrid1MouseDown(Qt::MouseButton button);

protected:
    struct Design {
        QSize size;
        int rows;
        QVector<int> widths;
        std::initializer_list<int> panels;
        bool toolInOwnPanel;  // panel 0 names the delete or edit tool too
    };
    // The grid, the edit row, the status bar and the first five commands;
    // the window adds its drawing and closing commands.
    PointTableWindow(const QString& objectName, const QString& caption, const Design& design,
                     QWidget* parent);

    // False, with `lead` and the reason in main panel 6, when the table has no
    // picture to work on.
    virtual bool Ready(const QString& lead) const = 0;
    // The pointer mode in which clicks on the picture give points.
    virtual RadioButton* CollimationMode() const = 0;
    // False while no method is chosen, for a table that needs one.
    virtual bool MethodChosen() const { return true; }
    // Appends the pending point (Edit2, Edit3) under `name`.
    virtual void AppendPending(const std::string& name) = 0;
    // The unmarked picture back; then every point of the table marked on it.
    virtual void RestorePicture() = 0;
    virtual void DrawPoints() = 0;
    // RestorePicture and DrawPoints after the grid's repaint.
    void RedrawPoints();

    void keyPressEvent(QKeyEvent* event) override;

private:
    // The delete or edit tool chosen, named in the status bars.
    void ChooseTool(RadioButton* tool, const QString& text);

    bool toolInOwnPanel_;
};

// Return on the pictures in `area` registers the pending point of the table
// that collimates, as "Registra punto" in that table.
void ReturnRegistersPoints(QWidget* area, std::initializer_list<PointTableWindow*> tables);
