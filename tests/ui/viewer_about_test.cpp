// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/ui/launcher_fixture.h"

#include "tests/ui/dialog_driver.h"
#include "ui/dialogs/about_box.h"
#include "ui/dialogs/config_viewer.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace marloven::test {
namespace {

TEST(ConfigurationViewer, ShowsTheStoreReadOnlyAndUnwrapped) {
    Launcher launcher({{"VK.CFG", "A = 1\r\n[Section]\r\nB = 2\r\n"}});
    ASSERT_TRUE(launcher.Window().LoadSettings());
    ConfigViewer& viewer = *launcher.forms->configViewer;
    EXPECT_EQ(viewer.windowTitle(), "Velkaran .CFG File");
    viewer.show();
    EXPECT_EQ(viewer.linesText->toPlainText(), "A = 1\n[Section]\nB = 2");
    EXPECT_TRUE(viewer.linesText->isReadOnly());
    EXPECT_EQ(viewer.linesText->lineWrapMode(), QPlainTextEdit::NoWrap);
    Type(viewer.linesText, "x");
    EXPECT_EQ(viewer.linesText->toPlainText(), "A = 1\n[Section]\nB = 2");
    viewer.closeButton->click();
    EXPECT_FALSE(viewer.isVisible());
}

TEST(ConfigurationViewer, EscapeClosesItFromTheTextAndFromTheButton) {
    Launcher launcher;
    ConfigViewer& viewer = *launcher.forms->configViewer;
    for (QWidget* focus :
         {static_cast<QWidget*>(viewer.linesText), static_cast<QWidget*>(viewer.closeButton)}) {
        viewer.show();
        PressKey(focus, Qt::Key_Escape, "\x1b");
        EXPECT_FALSE(viewer.isVisible()) << focus->objectName().toStdString();
    }
}

// "Close" is the dialog's only button, so it would take an Enter the text leaves unused.
TEST(ConfigurationViewer, EnterInTheTextLeavesItOpen) {
    Launcher launcher({{"VK.CFG", "A = 1\r\n"}});
    ASSERT_TRUE(launcher.Window().LoadSettings());
    ConfigViewer& viewer = *launcher.forms->configViewer;
    const int result = ExecWhile(viewer, [&] {
        viewer.linesText->setFocus();
        for (const auto key : {Qt::Key_Return, Qt::Key_Enter}) {
            QTest::keyClick(viewer.linesText, key);
            EXPECT_TRUE(viewer.isVisible()) << key;
        }
        EXPECT_EQ(viewer.linesText->toPlainText(), "A = 1");
        QTest::keyClick(viewer.linesText, Qt::Key_Escape);
    });
    EXPECT_EQ(result, QDialog::Rejected);
}

TEST(AboutBox, IsATitledToolWindowWithADefaultOkButton) {
    Launcher launcher;
    AboutBox& about = *launcher.forms->aboutBox;
    EXPECT_EQ(about.windowTitle(), "About");
    EXPECT_TRUE(about.okButton->isDefault());
    EXPECT_TRUE(about.windowFlags() & Qt::Tool);
    EXPECT_FALSE(about.windowFlags() & Qt::WindowCloseButtonHint);
}

} // namespace
} // namespace marloven::test
