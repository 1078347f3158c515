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

private:
    void Choose(bool analytic);
};
