// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/look/char_filter.h"

#include "tests/ui/dialog_driver.h"
#include "ui/dialogs/phonebook_entry_dialog.h"
#include "ui/dialogs/players_dialog.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <gtest/gtest.h>

namespace marloven {
namespace {

using test::PressKey;
using test::TypeText;

TEST(NumberBoxKeys, AcceptsAPhoneNumberAndDiscardsLettersAndPlus) {
    PhonebookEntryDialog dialog;
    auto* number = dialog.numberEdit;
    TypeText(number, "(555) 123-4567");
    EXPECT_EQ(number->text(), "(555) 123-4567");
    TypeText(number, "x+*");
    EXPECT_EQ(number->text(), "(555) 123-4567");
    PressKey(number, Qt::Key_Backspace);
    PressKey(number, Qt::Key_Tab);
    EXPECT_EQ(number->text(), "(555) 123-456");
}

TEST(NumberBoxKeys, APasteKeepsOnlyWhatTypingWouldAcceptAndWhereTheCursorWas) {
    PhonebookEntryDialog dialog;
    auto* number = dialog.numberEdit;
    TypeText(number, "99");
    number->setCursorPosition(1);
    QGuiApplication::clipboard()->setText("Tel:+1 (555)\t12a3");
    number->paste();
    EXPECT_EQ(number->text(), "91 (555)1239");
    // The cursor stands after the pasted characters, not where the refused ones went.
    EXPECT_EQ(number->cursorPosition(), 11);
    number->insert("ABC");
    EXPECT_EQ(number->text(), "91 (555)1239");
}

TEST(NumberBoxKeys, AStoredNumberWithOtherCharactersIsShownWholeAndKeptWhenTypingAround) {
    // Typing must not strip what the player never typed: the entry would lose bytes.
    PhonebookEntryDialog dialog;
    dialog.SetEntry("Ann", "1-800-CALL+x");
    EXPECT_EQ(dialog.NumberText(), "1-800-CALL+x");
    dialog.numberEdit->end(false);
    TypeText(dialog.numberEdit, "7z");
    EXPECT_EQ(dialog.NumberText(), "1-800-CALL+x7");
    dialog.numberEdit->home(false);
    TypeText(dialog.numberEdit, "+2");
    EXPECT_EQ(dialog.NumberText(), "21-800-CALL+x7");
}

TEST(FilteredBoxKeys, ARefusedKeyOverASelectionLeavesTextAndSelectionAlone) {
    // Tabbing into a box selects its text; a refused key must not wipe it out.
    PlayersDialog players;
    auto* socket = players.socketEdit;
    players.SetSocketText("34889");
    socket->selectAll();
    TypeText(socket, "x");
    EXPECT_EQ(socket->text(), "34889");
    EXPECT_EQ(socket->selectedText(), "34889");
    socket->setSelection(1, 2);
    TypeText(socket, "-");
    EXPECT_EQ(socket->text(), "34889");
    TypeText(socket, "7");
    EXPECT_EQ(socket->text(), "3789");

    PhonebookEntryDialog entry;
    entry.SetEntry("Ann", "555-0101");
    entry.numberEdit->selectAll();
    TypeText(entry.numberEdit, "a");
    EXPECT_EQ(entry.NumberText(), "555-0101");
}

TEST(NameBoxKeys, AcceptsAnyCharacter) {
    PhonebookEntryDialog dialog;
    TypeText(dialog.nameEdit, "Zoë +#~");
    EXPECT_EQ(dialog.NameText(), "Zoë +#~");
}

TEST(SocketBoxKeys, AcceptsDigitsAndTildeOnlyWhetherTypedOrPasted) {
    PlayersDialog dialog;
    auto* socket = dialog.socketEdit;
    TypeText(socket, "3a4-8~ 8.9");
    EXPECT_EQ(socket->text(), "348~89");
    PressKey(socket, Qt::Key_Backspace);
    EXPECT_EQ(socket->text(), "348~8");
    socket->selectAll();
    QGuiApplication::clipboard()->setText("port 0x869A ~");
    socket->paste();
    EXPECT_EQ(socket->text(), "0869~");
}

} // namespace
} // namespace marloven
