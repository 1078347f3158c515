#include "platform/controls.h"

#include <QPainter>
#include <QProgressBar>
#include <QVBoxLayout>

#include "platform/statusbar.h"

RadioButton::RadioButton(const QString& name, QWidget* parent) : QRadioButton(name, parent) {
    setObjectName(name);
    setAutoExclusive(false);
}

void RadioButton::SetChecked(bool on) {
    if (on && parentWidget()) {
        for (RadioButton* other :
             parentWidget()->findChildren<RadioButton*>(Qt::FindDirectChildrenOnly))
            if (other != this) other->setChecked(false);
    }
    setChecked(on);
}

CheckBox::CheckBox(const QString& name, QWidget* parent) : QCheckBox(name, parent) {
    setObjectName(name);
}

QLineEdit* MakeEdit(const QString& name, QWidget* parent, const QString& text) {
    auto* e = new QLineEdit(text, parent);
    e->setObjectName(name);
    return e;
}

QIcon MenuGlyph() {
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setPen(QColor(0, 0, 128));
    p.setBrush(QColor(255, 255, 192));
    p.drawRect(1, 1, 13, 13);
    p.drawLine(4, 5, 11, 5);
    p.drawLine(4, 8, 11, 8);
    p.drawLine(4, 11, 9, 11);
    return QIcon(pm);
}

ToolWindow::ToolWindow(const QString& objectName, const QString& caption, QWidget* parent)
    : QWidget(parent,
              Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName(objectName);
    setWindowTitle(caption);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    menuBar_ = new QMenuBar(this);
    menuBar_->setNativeMenuBar(false);
    menu_ = new QMenu(menuBar_);
    menu_->setIcon(MenuGlyph());
    menuBar_->addMenu(menu_);
    layout->setMenuBar(menuBar_);
    body_ = new QWidget(this);
    layout->addWidget(body_, 1);
}

QAction* ToolWindow::AddCommand(const QString& caption, const QString& actionName) {
    QAction* a = menu_->addAction(caption);
    a->setObjectName(actionName);
    return a;
}

QAction* ToolWindow::Command(const QString& actionName) const {
    return findChild<QAction*>(actionName);
}

void ToolWindow::PlaceAtRight(int mainWidth, int margin) { move(mainWidth - width() - margin, 40); }

StatusBar* ToolWindow::AddStatusBar(std::initializer_list<int> panelWidths) {
    auto* bar = new StatusBar(this);
    bar->setObjectName("StatusBar1");
    for (int width : panelWidths) bar->AddPanel(width);
    layout()->addWidget(bar);
    return bar;
}

QProgressBar* ToolWindow::AddProgressBar() {
    auto* bar = new QProgressBar(this);
    bar->setObjectName("ProgressBar1");
    bar->hide();
    layout()->addWidget(bar);
    return bar;
}
