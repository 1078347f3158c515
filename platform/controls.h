// Small controls the windows hold their state in: radio buttons that
// exclude the others of their group box (and can be unchecked by code),
// check boxes used as flags, tool windows with a one-glyph menu bar.
#pragma once

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QWidget>
#include <initializer_list>
#include <string>

class QProgressBar;
class StatusBar;

// Checking a RadioButton unchecks every other RadioButton of the same
// parent; unchecking by code is allowed (no button of the group checked).
class RadioButton : public QRadioButton {
    Q_OBJECT
public:
    RadioButton(const QString& name, QWidget* parent);
    bool Checked() const { return isChecked(); }
    void SetChecked(bool on);
};

class CheckBox : public QCheckBox {
    Q_OBJECT
public:
    CheckBox(const QString& name, QWidget* parent);
    bool Checked() const { return isChecked(); }
    void SetChecked(bool on) { setChecked(on); }
};

// The text a field or a label shows, for the core's parsers.
std::string FieldText(const QLineEdit* edit);
std::string FieldText(const QLabel* label);

// An edit field named after its component.
QLineEdit* MakeEdit(const QString& name, QWidget* parent, const QString& text = {});

// A row of edits, left to right, widened to show their texts whole (never
// narrower than designed) and moved apart to keep their gaps; the window
// grows when the row would pass its edge.
void FitEditRowToText(std::initializer_list<QLineEdit*> row);

// The 16 x 16 glyph that stands for a window's menu.
QIcon MenuGlyph();

// A stay-on-top tool window without border icons whose menu bar has one
// top-level item showing the glyph and no caption. Closing only hides it.
class ToolWindow : public QWidget {
    Q_OBJECT
public:
    ToolWindow(const QString& objectName, const QString& caption, QWidget* parent = nullptr);
    QMenu* Menu() const { return menu_; }
    QMenuBar* MenuBar() const { return menuBar_; }
    // Adds a command under the glyph; its action is named `actionName`.
    QAction* AddCommand(const QString& caption, const QString& actionName);
    // The same, with the handler that the command runs.
    template <class Window, class Handler>
    QAction* AddCommand(const QString& caption, const QString& actionName, Window* window,
                        Handler handler) {
        QAction* a = AddCommand(caption, actionName);
        connect(a, &QAction::triggered, window, handler);
        return a;
    }
    QAction* Command(const QString& actionName) const;
    // The area below the menu bar where the window lays out its controls.
    QWidget* Body() const { return body_; }
    // The window's StatusBar1 at its bottom, with panels of these widths.
    StatusBar* AddStatusBar(std::initializer_list<int> panelWidths);
    // The window's ProgressBar1, hidden, above the status bar.
    QProgressBar* AddProgressBar();
    // At the right of the owner (the main window), relative to its frame:
    // left := owner left + owner width − own width − margin, top := owner
    // top + 40; kept on the owner's screen.
    void PlaceAtRight(int margin = 5);
    // Centred over the owner's frame, kept on its screen.
    void PlaceCentred();
    // Just right of another window, tops aligned, kept on screen.
    void PlaceBeside(const QWidget* other);

protected:
    // A window that nothing has placed yet opens centred over its owner,
    // where it leaves the owner's menu free.
    void showEvent(QShowEvent* event) override;

private:
    QMenuBar* menuBar_;
    QMenu* menu_;
    QWidget* body_;
};

// Any top-level window just right of another, tops aligned, kept on screen.
void PlaceWindowBeside(QWidget* window, const QWidget* other);
