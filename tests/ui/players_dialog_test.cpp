// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/dialogs/players_dialog.h"

#include "tests/ui/dialog_driver.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace marloven {
namespace {

using test::ExecWhile;
using test::PressKey;
using test::TypeText;

TEST(PlayersDialogChoice, EnterRightAfterOpeningGivesTwoPlayersWhereverTheFocusIs) {
    PlayersDialog dialog;
    EXPECT_EQ(ExecWhile(dialog, [&] { PressKey(dialog.focusWidget(), Qt::Key_Return); }),
              QDialog::Accepted);
    EXPECT_EQ(dialog.PlayerCount(), 2);

    dialog.SetSocketText("");
    const auto result = ExecWhile(dialog, [&] {
        dialog.socketEdit->setFocus();
        TypeText(dialog.socketEdit, "12");
        PressKey(dialog.socketEdit, Qt::Key_Return);
    });
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(dialog.PlayerCount(), 2);
    EXPECT_EQ(dialog.SocketText(), "12");
}

// The form is reused, and a clicked button keeps the focus into the next opening.
TEST(PlayersDialogChoice, EnterGivesTwoPlayersAgainAfterAnotherButtonWasClicked) {
    PlayersDialog dialog;
    for (QPushButton* clicked : {dialog.CountButton(5), dialog.cancelButton}) {
        ExecWhile(dialog, [&] { QTest::mouseClick(clicked, Qt::LeftButton); });
        const auto result = ExecWhile(dialog, [&] {
            ASSERT_NE(dialog.focusWidget(), nullptr);
            QTest::keyClick(dialog.focusWidget(), Qt::Key_Return);
        });
        EXPECT_EQ(result, QDialog::Accepted) << clicked->text().toStdString();
        EXPECT_EQ(dialog.PlayerCount(), 2) << clicked->text().toStdString();
    }
}

TEST(PlayersDialogChoice, EachCountButtonGivesItsOwnNumber) {
    PlayersDialog dialog;
    for (int players = 2; players <= 8; ++players) {
        EXPECT_EQ(ExecWhile(dialog, [&] { dialog.CountButton(players)->click(); }),
                  QDialog::Accepted);
        EXPECT_EQ(dialog.PlayerCount(), players);
        EXPECT_EQ(dialog.CountButton(players)->text(), QString("%1 Players").arg(players));
    }
}

TEST(PlayersDialogChoice, CancelEscapeAndTheFrameRejectAndKeepTheLastCount) {
    PlayersDialog dialog;
    ExecWhile(dialog, [&] { dialog.CountButton(6)->click(); });
    EXPECT_EQ(ExecWhile(dialog, [&] { dialog.cancelButton->click(); }), QDialog::Rejected);
    EXPECT_EQ(ExecWhile(dialog, [&] { PressKey(dialog.focusWidget(), Qt::Key_Escape); }),
              QDialog::Rejected);
    EXPECT_EQ(ExecWhile(dialog, [&] { dialog.close(); }), QDialog::Rejected);
    EXPECT_EQ(dialog.PlayerCount(), 6);
}

TEST(PlayersDialogSocket, PassesTheStoredTextOnAsItStands) {
    PlayersDialog dialog;
    // Empty, several tildes, and bytes the keys would refuse all come back unchanged.
    for (const std::string socket : {"", "~~1~", "34889", "12 \xe9"}) {
        dialog.SetSocketText(socket);
        ExecWhile(dialog, [&] { dialog.CountButton(3)->click(); });
        EXPECT_EQ(dialog.SocketText(), socket);
    }
}

} // namespace
} // namespace marloven
