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

TEST(EditInfoOk, IsEnabledExactlyWhileBothBoxesHoldText) {
    TEditInfo dialog;
    EXPECT_FALSE(dialog.OKButton->isEnabled());
    TypeText(dialog.Name, "A");
    EXPECT_FALSE(dialog.OKButton->isEnabled());
    TypeText(dialog.Number, "5");
    EXPECT_TRUE(dialog.OKButton->isEnabled());
    PressKey(dialog.Name, Qt::Key_Backspace);
    EXPECT_FALSE(dialog.OKButton->isEnabled());

    // Filling the boxes counts as a change, also when they held the same texts before.
    dialog.SetEntry("Bo", "1");
    EXPECT_TRUE(dialog.OKButton->isEnabled());
    dialog.SetEntry("", "");
    dialog.SetEntry("", "");
    EXPECT_FALSE(dialog.OKButton->isEnabled());
    dialog.SetEntry("Bo", "1");
    dialog.SetEntry("Bo", "1");
    EXPECT_TRUE(dialog.OKButton->isEnabled());
}

// The file keeps 40 characters: "host.example.org:2323" must not lose its port to a cut.
TEST(EditInfoOk, ANumberLongerThanTheFileKeepsIsRefusedSayingSo) {
    TEditInfo dialog;
    dialog.AcceptInternetAddresses(true);
    TypeText(dialog.Name, "Far");
    TypeText(dialog.Number, "a-very-long-host-name.example.org:23232");
    EXPECT_TRUE(dialog.OKButton->isEnabled());
    TypeText(dialog.Number, "34"); // 41 characters
    EXPECT_FALSE(dialog.OKButton->isEnabled());
    EXPECT_FALSE(dialog.TooLong->isHidden());
    EXPECT_TRUE(dialog.TooLong->text().contains("40 characters"));
    EXPECT_LE(dialog.TooLong->sizeHint().width(), dialog.TooLong->width()); // read whole
    EXPECT_EQ(dialog.NumberText().size(), 41);

    // An IPv6 address is kept in its shortest form, which fits; eight full groups do not.
    dialog.Number->clear();
    TypeText(dialog.Number, "[2001:0db8:0000:0000:0000:0000:0000:0007]:2323");
    EXPECT_TRUE(dialog.OKButton->isEnabled());
    EXPECT_EQ(dialog.NumberText(), "[2001:db8::7]:2323");
    dialog.Number->clear();
    TypeText(dialog.Number, "[2001:db8:85a3:1234:5678:8a2e:370:7334]:2323");
    EXPECT_FALSE(dialog.OKButton->isEnabled());
}

TEST(EditInfoOk, EnterAcceptsOnlyAnEntryThatHasBothTexts) {
    TEditInfo dialog;
    dialog.SetEntry("Cy", "");
    const auto refused = ExecWhile(dialog, [&] {
        PressKey(dialog.focusWidget(), Qt::Key_Return);
        EXPECT_TRUE(dialog.isVisible());
        dialog.CancelButton->click();
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

TEST(EditInfoFocus, GoesToTheNameBoxWheneverTheDialogOpensAndStaysPutWhileItIsOpen) {
    TEditInfo dialog;
    dialog.Number->setFocus();
    for (int use = 0; use < 2; ++use) {
        ExecWhile(dialog, [&] {
            EXPECT_EQ(dialog.focusWidget(), dialog.Name);
            dialog.Number->setFocus(); // where the last use left it
            // Back from another program: the number goes on where the player left it.
            QEvent comeBack(QEvent::ActivationChange);
            QApplication::sendEvent(&dialog, &comeBack);
            EXPECT_EQ(dialog.focusWidget(), dialog.Number);
            dialog.reject();
        });
    }
}

} // namespace
} // namespace marloven
