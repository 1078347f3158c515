// The start window: the program name and the choice of method, once per run.
#pragma once

#include <QDialog>
#include <QPushButton>

class TFormAbout : public QWidget {
    Q_OBJECT
public:
    explicit TFormAbout(QWidget* parent = nullptr);
    QPushButton* Button1;
    QPushButton* Button2;

public slots:
    void Button1Click();
    void Button2Click();

protected:
    // The frame offers no way out: only the two buttons close the window.
    void closeEvent(QCloseEvent* e) override;

private:
    void Choose(bool analytic);
    bool chosen_ = false;
};
