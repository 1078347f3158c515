// The notice window: one always-on-top window that shows the numbered
// refusals and warnings, and carries the answer to "close the rectified image?".
#pragma once

#include <QLabel>

#include "platform/controls.h"

class TFormAvviso : public ToolWindow {
    Q_OBJECT
public:
    explicit TFormAvviso(QWidget* parent = nullptr);
    QLabel* Label1;
    QLabel* Label2;
    QAction* Chiudicorretta1;
    QAction* Chiudi1;

public slots:
    void Chiudi1Click();
    void Chiudicorretta1Click();
};

// The message of a notice number "1".."19", or nullptr for any other text.
const char* NoticeText(const QString& number);
void ShowNotice(const QString& number);
