// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/ui/launcher_fixture.h"

#include "ui/dialogs/config_viewer.h"
#include "ui/main/demo_page.h"
#include "ui/main/game_options_page.h"
#include "ui/main/macro_page.h"
#include "ui/main/modem_page.h"
#include "ui/main/user_map_page.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace marloven::test {
namespace {

const char* const kFullConfig = "; written by hand\r\n"
                                "PlayerName = \"Kestrel\"\r\n"
                                "NetColor = 6\r\n"
                                "ComPort = 4\r\n"
                                "PortSpeed = 115200\r\n"
                                "ToneDial = 0\r\n"
                                "InitString = \"ATZ\"\r\n"
                                "HangupString = \"ATH\"\r\n"
                                "DialOutString = \"9,\"\r\n"
                                "TicDup = 8\r\n"
                                "CommbatMacro#3 = \"Watch your back\"\r\n";

// The window pictures show where each control stands and what it says; what they
// cannot show is tested here.
TEST(MainWindowLayout, OpensTitledOnTheFirstPageWithAFixedBorder) {
    Launcher launcher;
    MainWindow& main = launcher.Window();
    EXPECT_EQ(main.windowTitle(), "Marloven - Beta Release 3");
    EXPECT_EQ(main.minimumSize(), main.maximumSize()) << "the border must not resize";
    EXPECT_EQ(main.pages->currentIndex(), 0);
}

TEST(MainWindowLayout, KeyboardOrderRunsFromDialToThePages) {
    Launcher launcher;
    MainWindow& main = launcher.Window();
    const QList<QWidget*> expected = {main.dialButton,
                                      main.answerButton,
                                      main.alreadyConnectedButton,
                                      main.networkButton,
                                      main.exitButton,
                                      main.playerNameEdit,
                                      main.playerColorCombo,
                                      main.singlePlayerButton,
                                      main.botsButton,
                                      main.kaliButton,
                                      main.pages};
    QList<QWidget*> seen;
    QWidget* widget = main.dialButton;
    while (seen.size() < expected.size()) {
        if (expected.contains(widget)) {
            seen << widget;
        }
        widget = widget->nextInFocusChain();
        ASSERT_NE(widget, main.dialButton) << "the chain ended early";
    }
    EXPECT_EQ(seen, expected);
}

TEST(MainWindowLayout, MenuItemsCarryTheirTextsWithoutShortcuts) {
    Launcher launcher;
    MainWindow& main = launcher.Window();
    EXPECT_FALSE(main.menuBar()->actions().at(3)->isEnabled()) << "the blank title";
    EXPECT_EQ(main.runSetupAction->text(), "Launch &SETUP.EXE...");
    EXPECT_EQ(main.exitAction->text(), "E&xit");
    EXPECT_EQ(main.showConfigAction->text(), "&Show .CFG File");
    EXPECT_EQ(main.aboutAction->text(), "&About");
    for (QAction* item :
         {main.runSetupAction, main.exitAction, main.showConfigAction, main.aboutAction}) {
        EXPECT_TRUE(item->shortcut().isEmpty());
    }
}

TEST(ListsThatIgnoreTypedKeys, DropCharactersButStillMoveWithTheArrows) {
    Launcher launcher({{"VK.CFG", ""}});
    MainWindow& main = launcher.Window();
    ASSERT_TRUE(main.LoadSettings());
    // "G" would jump to "Gray" or "Green" in a plain list.
    Type(main.playerColorCombo, "G");
    EXPECT_EQ(main.playerColorCombo->currentIndex(), 0);
    Type(main.modemPage->baudRateCombo, "1");
    EXPECT_EQ(main.modemPage->baudRateCombo->currentText(), "57600");
    Type(main.modemPage->comPortCombo, "U");
    EXPECT_EQ(main.modemPage->comPortCombo->currentIndex(), 2);
    Type(main.gameOptionsPage->levelCombo, "T");
    EXPECT_EQ(main.gameOptionsPage->levelCombo->currentIndex(), 0);
    EXPECT_EQ(launcher.LineOf("NetColor"), "");

    PressKey(main.playerColorCombo, Qt::Key_Down);
    EXPECT_EQ(main.playerColorCombo->currentIndex(), 1);
    EXPECT_EQ(launcher.LineOf("NetColor"), "NetColor = 1");

    main.macroPage->macroList->setCurrentItem(main.macroPage->macroList->topLevelItem(0));
    Type(main.macroPage->macroList, "M");
    EXPECT_EQ(main.macroPage->macroList->currentItem(), main.macroPage->macroList->topLevelItem(0));
}

// The open popup has a search of its own: "r" and Enter would pick "Red".
TEST(ListsThatIgnoreTypedKeys, DropCharactersInTheOpenPopupToo) {
    Launcher launcher({{"VK.CFG", "NetColor = 1\r\n"}});
    MainWindow& main = launcher.Window();
    ASSERT_TRUE(main.LoadSettings());
    main.show();
    main.playerColorCombo->showPopup();
    QAbstractItemView* popup = main.playerColorCombo->view();
    ASSERT_TRUE(popup->isVisible());
    QTest::keyClick(popup, 'r');
    QTest::keyClick(popup, Qt::Key_Down);
    QTest::keyClick(popup, Qt::Key_Return);
    EXPECT_FALSE(popup->isVisible());
    EXPECT_EQ(main.playerColorCombo->currentText(), "Purple");
    EXPECT_EQ(launcher.LineOf("NetColor"), "NetColor = 2");
    main.hide();
}

TEST(PlayerColorBox, ShowsLimeOnBlackWhenClosed) {
    Launcher launcher({{"VK.CFG", "NetColor = 4\r\n"}});
    ASSERT_TRUE(launcher.Window().LoadSettings());
    const QImage face = launcher.Window().playerColorCombo->grab().toImage();
    int dark = 0;
    int lime = 0;
    for (int y = 0; y < face.height(); ++y) {
        for (int x = 0; x < face.width(); ++x) {
            const QColor pixel = face.pixelColor(x, y);
            dark += pixel.lightness() < 48 ? 1 : 0;
            lime += pixel.green() > 160 && pixel.red() < 96 && pixel.blue() < 96 ? 1 : 0;
        }
    }
    EXPECT_GT(dark, face.width() * face.height() / 2) << "the ground is not black";
    EXPECT_GT(lime, 8) << "the text is not lime";
}

TEST(LoadSettings, FillsEveryControlWithoutWritingTheStore) {
    Launcher launcher({{"VK.CFG", kFullConfig}});
    MainWindow& main = launcher.Window();
    ASSERT_TRUE(main.LoadSettings());
    EXPECT_EQ(launcher.store.WrittenForm(), kFullConfig);
    EXPECT_EQ(main.playerNameEdit->text(), "Kestrel");
    EXPECT_EQ(main.playerColorCombo->currentText(), "Green");
    EXPECT_EQ(main.modemPage->comPortCombo->currentText(), "COM4");
    EXPECT_EQ(main.modemPage->baudRateCombo->currentText(), "115200");
    EXPECT_FALSE(main.modemPage->toneDialCheck->isChecked());
    EXPECT_EQ(main.modemPage->initEdit->text(), "ATZ");
    EXPECT_EQ(main.modemPage->hangupEdit->text(), "ATH");
    EXPECT_EQ(main.modemPage->dialOutEdit->text(), "9,");
    EXPECT_EQ(main.gameOptionsPage->ticDupCombo->currentText(), "Ticdup 8");
    EXPECT_EQ(main.modemPage->uartEdit->text(), "~");
    EXPECT_EQ(main.modemPage->irqEdit->text(), "~");
    EXPECT_FALSE(main.modemPage->uartEdit->isEnabled());
    ASSERT_EQ(main.macroPage->macroList->topLevelItemCount(), 10);
    for (int n = 0; n < 10; ++n) {
        EXPECT_EQ(main.macroPage->macroList->topLevelItem(n)->text(0), QString("Macro %1").arg(n));
    }
    EXPECT_EQ(main.macroPage->macroList->topLevelItem(3)->text(1), "Watch your back");
    EXPECT_EQ(main.macroPage->macroList->topLevelItem(4)->text(1), "");

    // A second load rebuilds the rows instead of adding ten more.
    ASSERT_TRUE(main.LoadSettings());
    EXPECT_EQ(main.macroPage->macroList->topLevelItemCount(), 10);
}

TEST(LoadSettings, PortDetailsFollowTheStoredUartAndIrq) {
    {
        Launcher launcher({{"VK.CFG", "ComPort = 2\r\nUartAddress = 3F8\r\nIrqNumber = ~\r\n"}});
        ASSERT_TRUE(launcher.Window().LoadSettings());
        EXPECT_EQ(launcher.Window().modemPage->comPortCombo->currentText(), "User Defined");
        EXPECT_TRUE(launcher.Window().modemPage->uartEdit->isEnabled());
        EXPECT_TRUE(launcher.Window().modemPage->irqLabel->isEnabled());
        EXPECT_EQ(launcher.Window().modemPage->uartEdit->text(), "3F8");
    }
    {
        Launcher launcher({{"VK.CFG", "ComPort = 9\r\nUartAddress = ~\r\nIrqNumber = ~\r\n"}});
        ASSERT_TRUE(launcher.Window().LoadSettings());
        EXPECT_EQ(launcher.Window().modemPage->comPortCombo->currentText(), "User Defined");
        EXPECT_FALSE(launcher.Window().modemPage->uartEdit->isEnabled());
        EXPECT_FALSE(launcher.Window().modemPage->irqEdit->isEnabled());
    }
}

TEST(LoadSettings, UnlistedOrNonNumericValuesLeaveTheirListsAndTheRestStillLoads) {
    Launcher launcher({{"VK.CFG", "PortSpeed = 14400\r\nTicDup = 1\r\nNetColor = red\r\n"
                                  "ComPort = two\r\nPlayerName = \"Ash\"\r\n"}});
    MainWindow& main = launcher.Window();
    ASSERT_TRUE(main.LoadSettings());
    EXPECT_EQ(main.modemPage->baudRateCombo->currentText(), "57600");
    EXPECT_EQ(main.gameOptionsPage->ticDupCombo->currentText(), "Default");
    EXPECT_EQ(main.playerColorCombo->placeholderText(), "Default");
    EXPECT_EQ(main.modemPage->comPortCombo->placeholderText(), "COM 2");
    EXPECT_EQ(main.playerNameEdit->text(), "Ash");
    EXPECT_TRUE(launcher.prompter.errors.isEmpty());

    // A number outside the list clears the choice and its initial text with it.
    launcher.dir.Write("VK.CFG", "NetColor = 8\r\nComPort = 12\r\n");
    ASSERT_TRUE(main.LoadSettings());
    EXPECT_EQ(main.playerColorCombo->currentIndex(), -1);
    EXPECT_EQ(main.playerColorCombo->currentText(), "");
    EXPECT_EQ(main.modemPage->comPortCombo->placeholderText(), "");
}

TEST(LoadSettings, TurnsOnTheMouseBoxesWithTheStoredValuesAndKeepsThem) {
    Launcher launcher({{"VK.CFG", "SetMouse = 1\r\nSM_Horz = 70\r\nSM_Vert = 5\r\n"}});
    MainWindow& main = launcher.Window();
    ASSERT_TRUE(main.LoadSettings());
    EXPECT_TRUE(main.gameOptionsPage->tweakMouseCheck->isChecked());
    EXPECT_EQ(main.gameOptionsPage->mouseHorizontalEdit->text(), "70");
    EXPECT_EQ(main.gameOptionsPage->mouseVerticalEdit->text(), "5");
    EXPECT_TRUE(main.gameOptionsPage->mouseHorizontalEdit->isEnabled());
    EXPECT_TRUE(main.gameOptionsPage->mouseVerticalEdit->isEnabled());
    EXPECT_EQ(launcher.store.CfgGet("SM_Horz"), "70");
    EXPECT_EQ(launcher.store.CfgGet("SM_Vert"), "5");
}

TEST(SettingHandlers, WriteTheirKeysWithTheirQuotesAtOnceButNotToDisk) {
    const std::string original = "ComPort = 2\r\n";
    Launcher launcher({{"VK.CFG", original}});
    MainWindow& main = launcher.Window();
    ASSERT_TRUE(main.LoadSettings());

    Choose(main.playerColorCombo, 3);
    Choose(main.gameOptionsPage->ticDupCombo, 2); // the position, not the 4 of "Ticdup 4"
    main.gameOptionsPage->noPredictionCheck->click();
    Choose(main.modemPage->baudRateCombo, 1);
    main.modemPage->toneDialCheck->click();
    main.modemPage->initEdit->setText("AT&F");
    main.modemPage->hangupEdit->setText("ATH");
    main.modemPage->dialOutEdit->setText("9W");
    main.userMapPage->userMapEdit->setText("E1M1.MAP");

    EXPECT_EQ(launcher.LineOf("NetColor"), "NetColor = 3");
    EXPECT_EQ(launcher.LineOf("TicDup"), "TicDup = 2");
    EXPECT_EQ(launcher.LineOf("UsePred"), "UsePred = 0");
    EXPECT_EQ(launcher.LineOf("PortSpeed"), "PortSpeed = 19200");
    EXPECT_EQ(launcher.LineOf("ToneDial"), "ToneDial = 0");
    EXPECT_EQ(launcher.LineOf("InitString"), "InitString = \"AT&F\"");
    EXPECT_EQ(launcher.LineOf("HangupString"), "HangupString = \"ATH\"");
    EXPECT_EQ(launcher.LineOf("DialOutString"), "DialOutString = \"9W\"");
    EXPECT_EQ(launcher.LineOf("UserMap"), "UserMap = \"E1M1.MAP\"");
    EXPECT_EQ(launcher.dir.Read("VK.CFG"), original);

    main.gameOptionsPage->noPredictionCheck->click();
    EXPECT_EQ(launcher.LineOf("UsePred"), "UsePred = 1");
}

TEST(SettingHandlers, EachKeystrokeInTheNameRewritesItsLineAndTheViewerShowsIt) {
    Launcher launcher({{"VK.CFG", "PlayerName = \"Revu\" ; first\r\nNetColor = 1\r\n"}});
    MainWindow& main = launcher.Window();
    ASSERT_TRUE(main.LoadSettings());
    main.playerNameEdit->clear();
    EXPECT_EQ(launcher.store.Lines().front(), "PlayerName = \"\"");
    Type(main.playerNameEdit, "Jo");
    EXPECT_EQ(launcher.store.Lines().front(), "PlayerName = \"Jo\"");
    EXPECT_EQ(launcher.store.Lines().size(), 2u);

    ConfigViewer& viewer = *launcher.forms->configViewer;
    viewer.show();
    EXPECT_EQ(viewer.linesText->toPlainText(), "PlayerName = \"Jo\"\nNetColor = 1");
    viewer.hide();
    Type(main.playerNameEdit, "e");
    viewer.show();
    EXPECT_TRUE(viewer.linesText->toPlainText().startsWith("PlayerName = \"Joe\""));
    viewer.hide();
}

TEST(SettingHandlers, PortDetailsAreStoredUnquotedAndBytesSurviveTheRoundTrip) {
    // 0xE9 is one byte in the file and one character on screen.
    Launcher launcher({{"VK.CFG", "PlayerName = \"Ren\xE9\"\r\n"}});
    MainWindow& main = launcher.Window();
    ASSERT_TRUE(main.LoadSettings());
    EXPECT_EQ(main.playerNameEdit->text(), QString::fromUtf8("Ren\u00e9"));
    Type(main.playerNameEdit, "!");
    EXPECT_EQ(launcher.LineOf("PlayerName"), "PlayerName = \"Ren\xE9!\"");

    Choose(main.modemPage->comPortCombo, 8);
    main.modemPage->uartEdit->setText("2E8");
    main.modemPage->irqEdit->setText("5");
    EXPECT_EQ(launcher.LineOf("UartAddress"), "UartAddress = 2E8");
    EXPECT_EQ(launcher.LineOf("IrqNumber"), "IrqNumber = 5");
}

TEST(ComPortChoice, UserDefinedEnablesTheDetailsAndAStandardPortResetsThemInTheStore) {
    Launcher launcher({{"VK.CFG", "ComPort = 2\r\n"}});
    MainWindow& main = launcher.Window();
    ASSERT_TRUE(main.LoadSettings());

    Choose(main.modemPage->comPortCombo, 8);
    EXPECT_EQ(launcher.LineOf("ComPort"), "ComPort = 9");
    EXPECT_TRUE(main.modemPage->uartEdit->isEnabled());
    EXPECT_TRUE(main.modemPage->uartLabel->isEnabled());
    main.modemPage->uartEdit->setText("3E8");
    main.modemPage->irqEdit->setText("7");

    Choose(main.modemPage->comPortCombo, 3);
    EXPECT_EQ(launcher.LineOf("ComPort"), "ComPort = 4");
    EXPECT_EQ(launcher.LineOf("IrqNumber"), "IrqNumber = ~");
    EXPECT_EQ(launcher.LineOf("UartAddress"), "UartAddress = ~");
    EXPECT_FALSE(main.modemPage->uartEdit->isEnabled());
    EXPECT_FALSE(main.modemPage->irqLabel->isEnabled());
    // The disabled boxes still show what the player typed.
    EXPECT_EQ(main.modemPage->uartEdit->text(), "3E8");
    EXPECT_EQ(main.modemPage->irqEdit->text(), "7");
}

TEST(MacroPage, OnlyTheCaptionIsEditedInPlace) {
    // A double click in the list is taken for "&Edit": see macro_page_test.cpp.
    Launcher launcher({{"VK.CFG", ""}});
    MainWindow& main = launcher.Window();
    ASSERT_TRUE(main.LoadSettings());
    // The macro text has its own dialog.
    main.show();
    main.pages->setCurrentIndex(3);
    main.macroPage->macroList->editItem(main.macroPage->macroList->topLevelItem(6), 1);
    EXPECT_TRUE(main.macroPage->macroList->findChildren<QLineEdit*>().isEmpty());
    main.macroPage->macroList->editItem(main.macroPage->macroList->topLevelItem(6), 0);
    EXPECT_FALSE(main.macroPage->macroList->findChildren<QLineEdit*>().isEmpty());
    main.hide();
    // Each row remembers its number for the editor, whatever its caption becomes.
    main.macroPage->macroList->topLevelItem(6)->setText(0, "Macro 2");
    EXPECT_EQ(main.macroPage->macroList->topLevelItem(6)->data(0, Qt::UserRole).toInt(), 6);
}

TEST(BrowseForUserMap, StoresAFileInsideTheGameDirectoryRelativeToIt) {
    Launcher launcher({{"VK.CFG", ""}, {"MAPS/ARENA.MAP", "m"}});
    MainWindow& main = launcher.Window();
    ASSERT_TRUE(main.LoadSettings());
    const auto chosen = launcher.dir / "MAPS/ARENA.MAP";
    launcher.prompter.fileAnswers = {QString::fromStdString(chosen.string()), std::nullopt};
    main.userMapPage->browseButton->click();
    const std::string expected = std::filesystem::path("MAPS/ARENA.MAP").make_preferred().string();
    EXPECT_EQ(main.userMapPage->userMapEdit->text().toStdString(), expected);
    EXPECT_EQ(launcher.LineOf("UserMap"), "UserMap = \"" + expected + "\"");
    // Cancelling the dialog keeps the map.
    main.userMapPage->browseButton->click();
    EXPECT_EQ(main.userMapPage->userMapEdit->text().toStdString(), expected);
}

} // namespace
} // namespace marloven::test
