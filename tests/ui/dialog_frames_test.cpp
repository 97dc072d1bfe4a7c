// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/qt_scripted_prompter.h"
#include "tests/ui/dialog_driver.h"
#include "ui/dialogs/macro_dialog.h"
#include "ui/dialogs/phonebook_entry_dialog.h"
#include "ui/dialogs/pick_opponent_dialog.h"
#include "ui/dialogs/players_dialog.h"
#include "ui/dialogs/select_modem_dialog.h"

#include <QGuiApplication>
#include <QScreen>
#include <gtest/gtest.h>

namespace marloven {
namespace {

using test::ExecWhile;

// Every dialog keeps its size and opens in the middle of the screen.
void ExpectFixedAndCentred(QDialog& dialog, const QString& title) {
    EXPECT_EQ(dialog.windowTitle(), title);
    EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize()) << title.toStdString();
    ExecWhile(dialog, [&] {
        const auto screen = QGuiApplication::primaryScreen()->availableGeometry();
        EXPECT_LE((dialog.frameGeometry().center() - screen.center()).manhattanLength(), 2)
            << title.toStdString();
        dialog.reject();
    });
}

TEST(DialogFrames, AreFixedTitledAndCentredOnTheScreenNotOnTheirWindow) {
    QWidget mainWindow;
    mainWindow.setGeometry(0, 0, 320, 200);
    mainWindow.show();
    test::ScriptedPrompter prompter;
    PhonebookEntryDialog entry(&mainWindow);
    PickOpponentDialog dial("", prompter, entry, &mainWindow);
    PlayersDialog players(&mainWindow);
    MacroDialog macro(&mainWindow);
    SelectModemDialog modems(prompter, &mainWindow);
    ExpectFixedAndCentred(dial, "Pick Opponent");
    ExpectFixedAndCentred(entry, "Edit Entry");
    ExpectFixedAndCentred(players, "Number of Players");
    ExpectFixedAndCentred(macro, "Edit Macro");
    ExpectFixedAndCentred(modems, "Select Modem");
}

} // namespace
} // namespace marloven
