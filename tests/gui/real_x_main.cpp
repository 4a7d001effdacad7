// Runs the real-input window tests inside one QApplication on the X server VANT_X_DISPLAY names.
// Without one the application runs offscreen and the tests skip, so a plain ctest run and the
// test listing at build time need no X server.
#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    const QByteArray display = qgetenv("VANT_X_DISPLAY");
    if (display.isEmpty()) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    } else {
        qputenv("DISPLAY", display);
        qputenv("QT_QPA_PLATFORM", "xcb");
    }
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
