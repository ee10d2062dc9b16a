// Test programs that drive widgets: one QApplication and one application
// object for the whole run, headless unless a platform is named.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "platform/ui/application.h"

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    TApplication application;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
