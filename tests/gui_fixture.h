// A fresh run of the program for each window test: every window created in
// start-up order, the method chosen, no dialog ever waiting for a person.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>

#include "app/u_about.h"
#include "app/u_forms.h"
#include "app/u_principale.h"
#include "platform/dialogs.h"

class VekRun : public ::testing::Test {
protected:
    void SetUp() override {
        DialogSeam::ClearPresets();
        DialogSeam::Messages().clear();
        DialogSeam::Questions().clear();
        main_ = CreateApplicationWindows();
        main_->show();
        FormAbout->show();
    }
    void TearDown() override {
        DestroyApplicationWindows();
        DialogSeam::ClearPresets();
    }
    void ChooseAnalytic() { FormAbout->Button1->click(); }
    void ChooseGeometric() { FormAbout->Button2->click(); }
    QString Panel(int i) const { return main_->StatusBar1->Panel(i); }

    TFormPrincipale* main_ = nullptr;
};
