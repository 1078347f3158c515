// Runs the window tests headless, with every dialog answered by the test.
#include <gtest/gtest.h>

#include <QApplication>

#include "platform/dialogs.h"
#include "platform/fonts.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    testing::InitGoogleTest(&argc, argv);
    MapDesignFonts();
    QApplication app(argc, argv);
    DialogSeam::SetAutomatic(true);
    return RUN_ALL_TESTS();
}
