// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <QStandardPaths>
#include <gtest/gtest.h>

// Window tests share one application object and never need a display.
int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The launcher's modules lie beside it, not beside the tests.
    qputenv("MARLOVEN_MODULE_DIR", MARLOVEN_BINARY_DIR "/app");
    QApplication app(argc, argv);
    QApplication::setApplicationName("Marloven");
    // The launcher's own settings go to a test location, never the player's file.
    QStandardPaths::setTestModeEnabled(true);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
