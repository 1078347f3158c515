#include "platform/controls.h"

#include <QPainter>
#include <QProgressBar>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

#include "platform/fonts.h"
#include "platform/statusbar.h"

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
    setMinimumWidth(TitleFitWidth(caption));  // a window no narrower than its title
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

namespace {
QWidget* OwnerOf(const QWidget* w) {
    return w->parentWidget() ? w->parentWidget()->window() : nullptr;
}
}  // namespace

// The outer size is estimated from the owner's frame before the window
// manager has framed this window once: both wear the same decoration.
QSize ToolWindow::FrameSize() const {
    const QWidget* owner = OwnerOf(this);
    if (isVisible() || !owner) return frameGeometry().size();
    return size() + owner->frameGeometry().size() - owner->size();
}

void ToolWindow::MoveOnScreen(QPoint topLeft) {
    const QWidget* owner = OwnerOf(this);
    const QScreen* screen = owner ? owner->screen() : this->screen();
    if (screen) {
        const QRect avail = screen->availableGeometry();
        const QSize frame = FrameSize();
        topLeft.setX(std::clamp(topLeft.x(), avail.left(),
                                std::max(avail.left(), avail.right() + 1 - frame.width())));
        topLeft.setY(std::clamp(topLeft.y(), avail.top(),
                                std::max(avail.top(), avail.bottom() + 1 - frame.height())));
    }
    move(topLeft);
}

void ToolWindow::PlaceAtRight(int margin) {
    const QWidget* owner = OwnerOf(this);
    const QRect main = owner ? owner->frameGeometry() : QRect();
    MoveOnScreen({main.left() + main.width() - FrameSize().width() - margin, main.top() + 40});
}

void ToolWindow::PlaceCentred() {
    const QWidget* owner = OwnerOf(this);
    const QRect main = owner ? owner->frameGeometry() : QRect();
    const QSize own = FrameSize();
    MoveOnScreen(main.topLeft() +
                 QPoint((main.width() - own.width()) / 2, (main.height() - own.height()) / 2));
}

void ToolWindow::PlaceBeside(const QWidget* other) {
    const QRect o = other->frameGeometry();
    MoveOnScreen({o.right() + 1 + 5, o.top()});
}

void ToolWindow::showEvent(QShowEvent* event) {
    if (!testAttribute(Qt::WA_Moved) && parentWidget()) PlaceCentred();
    QWidget::showEvent(event);
}

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
