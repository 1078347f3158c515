// A status bar whose panels are addressed by index and read back as text,
// with a simple mode that shows one undivided panel.
#pragma once

#include <QLabel>
#include <QStatusBar>
#include <QVector>

class StatusBar : public QStatusBar {
    Q_OBJECT
public:
    explicit StatusBar(QWidget* parent = nullptr);
    void AddPanel(int width, Qt::Alignment align = Qt::AlignLeft);
    int PanelCount() const { return panels_.size(); }
    QString Panel(int i) const;
    void SetPanel(int i, const QString& text);
    bool Simple() const { return simple_; }
    void SetSimple(bool on);
    QString SimpleText() const { return simpleLabel_->text(); }
    void SetSimpleText(const QString& t) { simpleLabel_->setText(t); }

private:
    QVector<QLabel*> panels_;
    QLabel* simpleLabel_;
    bool simple_ = false;
};
