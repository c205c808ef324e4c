#include <QApplication>
#include <gtest/gtest.h>

// Widgets need one application object for the whole run; it lives on this stack frame.
int main(int argc, char** argv) {
    // Test discovery runs this binary outside ctest's environment; no test needs a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
