#include <QApplication>
#include <gtest/gtest.h>

// Window tests share one application object and never need a display.
int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName("Marloven");
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
