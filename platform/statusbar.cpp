#include "platform/statusbar.h"

#include <algorithm>

StatusBar::StatusBar(QWidget* parent) : QStatusBar(parent), simpleLabel_(new QLabel(this)) {
    setSizeGripEnabled(false);
    addWidget(simpleLabel_, 1);
    simpleLabel_->hide();
}

// A panel is at least its designed width and grows to show its text whole;
// the last one also takes the rest of the bar, up to the window's edge.
void StatusBar::AddPanel(int width, Qt::Alignment align) {
    if (!panels_.isEmpty()) {  // the former last panel stops stretching
        QLabel* former = panels_.last();
        removeWidget(former);
        addWidget(former);
        former->setVisible(!simple_);
    }
    auto* label = new QLabel(this);
    label->setMinimumWidth(width);
    label->setAlignment(align | Qt::AlignVCenter);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    addWidget(label, 1);
    label->setVisible(!simple_);
    panels_.push_back(label);
}

QString StatusBar::Panel(int i) const {
    return i >= 0 && i < panels_.size() ? panels_[i]->text() : QString();
}

void StatusBar::SetPanel(int i, const QString& text) {
    if (i >= 0 && i < panels_.size()) panels_[i]->setText(text);
}

void StatusBar::SetPanelToolTip(int i, const QString& text) {
    if (i >= 0 && i < panels_.size()) panels_[i]->setToolTip(text);
}

void StatusBar::SetSimple(bool on) {
    simple_ = on;
    simpleLabel_->setVisible(on);
    for (QLabel* p : panels_) p->setVisible(!on);
}

int StatusBar::WidthForPanels(int n) const {
    int w = 8;  // the bar's margins
    for (int i = 0; i < n && i < panels_.size(); ++i)
        w += std::max(panels_[i]->minimumWidth(), panels_[i]->sizeHint().width()) + 6;
    return w;
}
