// A status bar whose panels are addressed by index and read back as text,
// with a simple mode that shows one undivided panel. A panel is never
// narrower than its designed width, grows to show its text whole, and the
// last one reaches the window's edge.
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
    const QLabel* PanelLabel(int i) const { return panels_.value(i); }
    void SetPanel(int i, const QString& text);
    bool Simple() const { return simple_; }
    void SetSimple(bool on);

private:
    QVector<QLabel*> panels_;
    QLabel* simpleLabel_;
    bool simple_ = false;
};
