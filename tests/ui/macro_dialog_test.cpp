// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/dialogs/macro_dialog.h"

#include "tests/ui/dialog_driver.h"

#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

namespace marloven {
namespace {

using test::ExecWhile;
using test::PressKey;
using test::TypeText;

TEST(MacroDialog, OkAndEnterAcceptTheTextAsTypedBytesIncluded) {
    MacroDialog dialog;
    // Leading blanks, quotes and a byte above 127 must come back unchanged.
    const std::string stored = "  say \"gg\" \xe9";
    dialog.SetMacroText(stored);
    EXPECT_EQ(ExecWhile(dialog, [&] { PressKey(dialog.focusWidget(), Qt::Key_Return); }),
              QDialog::Accepted);
    EXPECT_EQ(dialog.MacroText(), stored);

    dialog.SetMacroText("");
    const auto result = ExecWhile(dialog, [&] {
        TypeText(dialog.macroEdit, "Run!");
        dialog.okButton->click();
    });
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(dialog.MacroText(), "Run!");
}

TEST(MacroDialog, CancelEscapeAndTheFrameReject) {
    MacroDialog dialog;
    EXPECT_EQ(ExecWhile(dialog, [&] { dialog.cancelButton->click(); }), QDialog::Rejected);
    EXPECT_EQ(ExecWhile(dialog, [&] { PressKey(dialog.focusWidget(), Qt::Key_Escape); }),
              QDialog::Rejected);
    EXPECT_EQ(ExecWhile(dialog, [&] { dialog.close(); }), QDialog::Rejected);
}

} // namespace
} // namespace marloven
