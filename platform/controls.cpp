#include "platform/controls.h"

#include <QPainter>
#include <QProgressBar>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

#include "platform/fonts.h"
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

std::string FieldText(const QLineEdit* edit) { return edit->text().toStdString(); }
std::string FieldText(const QLabel* label) { return label->text().toStdString(); }

QLineEdit* MakeEdit(const QString& name, QWidget* parent, const QString& text) {
    auto* e = new QLineEdit(text, parent);
    e->setObjectName(name);
    return e;
}

void FitEditRowToText(std::initializer_list<QLineEdit*> row) {
    int shift = 0;
    for (QLineEdit* e : row) {
        if (!e->property("designedWidth").isValid()) e->setProperty("designedWidth", e->width());
        const int designed = e->property("designedWidth").toInt();
        const int text = e->fontMetrics().horizontalAdvance(e->text()) + 14;
        const QRect g = e->geometry();
        e->setGeometry(g.x() + shift, g.y(), std::max(designed, text), g.height());
        shift += e->width() - g.width();
    }
    if (row.size() == 0) return;
    QLineEdit* last = *(row.end() - 1);
    QWidget* body = last->parentWidget();
    const int need = last->geometry().right() + 1 + 8 - body->width();
    if (need > 0) body->window()->resize(body->window()->width() + need, body->window()->height());
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

namespace {
// The outer size is estimated from the owner's frame before the window
// manager has framed the window once: both wear the same decoration.
QSize FrameSize(const QWidget* w) {
    const QWidget* owner = OwnerOf(w);
    if (w->isVisible() || !owner) return w->frameGeometry().size();
    return w->size() + owner->frameGeometry().size() - owner->size();
}

void MoveOnScreen(QWidget* w, QPoint topLeft) {
    const QWidget* owner = OwnerOf(w);
    const QScreen* screen = owner ? owner->screen() : w->screen();
    if (screen) {
        const QRect avail = screen->availableGeometry();
        const QSize frame = FrameSize(w);
        topLeft.setX(std::clamp(topLeft.x(), avail.left(),
                                std::max(avail.left(), avail.right() + 1 - frame.width())));
        topLeft.setY(std::clamp(topLeft.y(), avail.top(),
                                std::max(avail.top(), avail.bottom() + 1 - frame.height())));
    }
    w->move(topLeft);
}
}  // namespace

void ToolWindow::PlaceAtRight(int margin) {
    const QWidget* owner = OwnerOf(this);
    const QRect main = owner ? owner->frameGeometry() : QRect();
    MoveOnScreen(this,
                 {main.left() + main.width() - FrameSize(this).width() - margin, main.top() + 40});
}

void ToolWindow::PlaceCentred() {
    const QWidget* owner = OwnerOf(this);
    const QRect main = owner ? owner->frameGeometry() : QRect();
    const QSize own = FrameSize(this);
    MoveOnScreen(this, main.topLeft() + QPoint((main.width() - own.width()) / 2,
                                               (main.height() - own.height()) / 2));
}

void ToolWindow::PlaceBeside(const QWidget* other) { PlaceWindowBeside(this, other); }

void PlaceWindowBeside(QWidget* window, const QWidget* other) {
    const QRect o = other->frameGeometry();
    MoveOnScreen(window, {o.right() + 1 + 5, o.top()});
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
