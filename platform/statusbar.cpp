#include "platform/statusbar.h"

StatusBar::StatusBar(QWidget* parent) : QStatusBar(parent), simpleLabel_(new QLabel(this)) {
    setSizeGripEnabled(false);
    addWidget(simpleLabel_, 1);
    simpleLabel_->hide();
}

void StatusBar::AddPanel(int width, Qt::Alignment align) {
    auto* label = new QLabel(this);
    label->setFixedWidth(width);
    label->setAlignment(align | Qt::AlignVCenter);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    addWidget(label);
    label->setVisible(!simple_);
    panels_.push_back(label);
}

QString StatusBar::Panel(int i) const {
    return i >= 0 && i < panels_.size() ? panels_[i]->text() : QString();
}

void StatusBar::SetPanel(int i, const QString& text) {
    if (i >= 0 && i < panels_.size()) panels_[i]->setText(text);
}

void StatusBar::SetSimple(bool on) {
    simple_ = on;
    simpleLabel_->setVisible(on);
    for (QLabel* p : panels_) p->setVisible(!on);
}
