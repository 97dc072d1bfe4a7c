// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/dialogs/phonebook_entry_dialog.h"

#include "tests/ui/dialog_driver.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

namespace marloven {
namespace {

using test::ExecWhile;
using test::PressKey;
using test::TypeText;

TEST(PhonebookEntryOk, IsEnabledExactlyWhileBothBoxesHoldText) {
    PhonebookEntryDialog dialog;
    EXPECT_FALSE(dialog.okButton->isEnabled());
    TypeText(dialog.nameEdit, "A");
    EXPECT_FALSE(dialog.okButton->isEnabled());
    TypeText(dialog.numberEdit, "5");
    EXPECT_TRUE(dialog.okButton->isEnabled());
    PressKey(dialog.nameEdit, Qt::Key_Backspace);
    EXPECT_FALSE(dialog.okButton->isEnabled());

    // Filling the boxes counts as a change, also when they held the same texts before.
    dialog.SetEntry("Bo", "1");
    EXPECT_TRUE(dialog.okButton->isEnabled());
    dialog.SetEntry("", "");
    dialog.SetEntry("", "");
    EXPECT_FALSE(dialog.okButton->isEnabled());
    dialog.SetEntry("Bo", "1");
    dialog.SetEntry("Bo", "1");
    EXPECT_TRUE(dialog.okButton->isEnabled());
}

// The file keeps 40 characters: "host.example.org:2323" must not lose its port to a cut.
TEST(PhonebookEntryOk, ANumberLongerThanTheFileKeepsIsRefusedSayingSo) {
    PhonebookEntryDialog dialog;
    dialog.AcceptInternetAddresses(true);
    TypeText(dialog.nameEdit, "Far");
    TypeText(dialog.numberEdit, "a-very-long-host-name.example.org:23232");
    EXPECT_TRUE(dialog.okButton->isEnabled());
    TypeText(dialog.numberEdit, "34"); // 41 characters
    EXPECT_FALSE(dialog.okButton->isEnabled());
    EXPECT_FALSE(dialog.tooLongLabel->isHidden());
    EXPECT_TRUE(dialog.tooLongLabel->text().contains("40 characters"));
    EXPECT_LE(dialog.tooLongLabel->sizeHint().width(), dialog.tooLongLabel->width()); // read whole
    EXPECT_EQ(dialog.NumberText().size(), 41);

    // An IPv6 address is kept in its shortest form, which fits; eight full groups do not.
    dialog.numberEdit->clear();
    TypeText(dialog.numberEdit, "[2001:0db8:0000:0000:0000:0000:0000:0007]:2323");
    EXPECT_TRUE(dialog.okButton->isEnabled());
    EXPECT_EQ(dialog.NumberText(), "[2001:db8::7]:2323");
    dialog.numberEdit->clear();
    TypeText(dialog.numberEdit, "[2001:db8:85a3:1234:5678:8a2e:370:7334]:2323");
    EXPECT_FALSE(dialog.okButton->isEnabled());
}

TEST(PhonebookEntryOk, EnterAcceptsOnlyAnEntryThatHasBothTexts) {
    PhonebookEntryDialog dialog;
    dialog.SetEntry("Cy", "");
    const auto refused = ExecWhile(dialog, [&] {
        PressKey(dialog.focusWidget(), Qt::Key_Return);
        EXPECT_TRUE(dialog.isVisible());
        dialog.cancelButton->click();
    });
    EXPECT_EQ(refused, QDialog::Rejected);

    dialog.SetEntry("Cy", "77");
    EXPECT_EQ(ExecWhile(dialog, [&] { PressKey(dialog.focusWidget(), Qt::Key_Return); }),
              QDialog::Accepted);
    EXPECT_EQ(dialog.NameText(), "Cy");
    EXPECT_EQ(dialog.NumberText(), "77");
    EXPECT_EQ(ExecWhile(dialog, [&] { PressKey(dialog.focusWidget(), Qt::Key_Escape); }),
              QDialog::Rejected);
}

TEST(PhonebookEntryFocus, GoesToTheNameBoxWheneverTheDialogOpensAndStaysPutWhileItIsOpen) {
    PhonebookEntryDialog dialog;
    dialog.numberEdit->setFocus();
    for (int use = 0; use < 2; ++use) {
        ExecWhile(dialog, [&] {
            EXPECT_EQ(dialog.focusWidget(), dialog.nameEdit);
            dialog.numberEdit->setFocus(); // where the last use left it
            // Back from another program: the number goes on where the player left it.
            QEvent comeBack(QEvent::ActivationChange);
            QApplication::sendEvent(&dialog, &comeBack);
            EXPECT_EQ(dialog.focusWidget(), dialog.numberEdit);
            dialog.reject();
        });
    }
}

} // namespace
} // namespace marloven
