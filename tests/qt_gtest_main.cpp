// Test main for tests that need a QApplication (widgets, event loops, local sockets).
#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
    // Tests never need a screen; test discovery at build time runs this main too.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
