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
    ASSERT_TRUE(launcher.Main().LoadSettings());
    TShowCFG& viewer = *launcher.forms->ShowCFG;
    EXPECT_EQ(viewer.windowTitle(), "Velkaran .CFG File");
    EXPECT_EQ(viewer.size(), QSize(464, 335));
    EXPECT_EQ(viewer.CFGData->geometry(), QRect(8, 8, 449, 281));
    EXPECT_EQ(viewer.Button1->text(), "Close");
    EXPECT_EQ(viewer.Button1->pos(), QPoint(192, 304));
    viewer.show();
    EXPECT_EQ(viewer.CFGData->toPlainText(), "A = 1\n[Section]\nB = 2");
    EXPECT_TRUE(viewer.CFGData->isReadOnly());
    EXPECT_EQ(viewer.CFGData->lineWrapMode(), QPlainTextEdit::NoWrap);
    Type(viewer.CFGData, "x");
    EXPECT_EQ(viewer.CFGData->toPlainText(), "A = 1\n[Section]\nB = 2");
    viewer.Button1->click();
    EXPECT_FALSE(viewer.isVisible());
}

TEST(ConfigurationViewer, EscapeClosesItFromTheTextAndFromTheButton) {
    Launcher launcher;
    TShowCFG& viewer = *launcher.forms->ShowCFG;
    for (QWidget* focus :
         {static_cast<QWidget*>(viewer.CFGData), static_cast<QWidget*>(viewer.Button1)}) {
        viewer.show();
        PressKey(focus, Qt::Key_Escape, "\x1b");
        EXPECT_FALSE(viewer.isVisible()) << focus->objectName().toStdString();
    }
}

// "Close" is the dialog's only button, so it would take an Enter the text leaves unused.
TEST(ConfigurationViewer, EnterInTheTextLeavesItOpen) {
    Launcher launcher({{"VK.CFG", "A = 1\r\n"}});
    ASSERT_TRUE(launcher.Main().LoadSettings());
    TShowCFG& viewer = *launcher.forms->ShowCFG;
    const int result = ExecWhile(viewer, [&] {
        viewer.CFGData->setFocus();
        for (const auto key : {Qt::Key_Return, Qt::Key_Enter}) {
            QTest::keyClick(viewer.CFGData, key);
            EXPECT_TRUE(viewer.isVisible()) << key;
        }
        EXPECT_EQ(viewer.CFGData->toPlainText(), "A = 1");
        QTest::keyClick(viewer.CFGData, Qt::Key_Escape);
    });
    EXPECT_EQ(result, QDialog::Rejected);
}

TEST(AboutBox, RepeatsTheTitleAndHasADefaultOkButton) {
    Launcher launcher;
    TAboutBox& about = *launcher.forms->AboutBox;
    EXPECT_EQ(about.windowTitle(), "About");
    EXPECT_EQ(about.size(), QSize(354, 176));
    EXPECT_EQ(about.Button1->geometry(), QRect(160, 144, 51, 25));
    EXPECT_TRUE(about.Button1->isDefault());
    EXPECT_TRUE(about.windowFlags() & Qt::Tool);
    EXPECT_FALSE(about.windowFlags() & Qt::WindowCloseButtonHint);
}

} // namespace
} // namespace marloven::test
