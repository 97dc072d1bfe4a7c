// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/dialogs/macro_dialog.h"

#include "qt_text/text_conversions.h"

#include <QLineEdit>
#include <QPushButton>

namespace marloven {

MacroDialog::MacroDialog(QWidget* parent) : FixedDialog("Edit Macro", {292, 92}, parent) {
    AddCaption(this, "Edit Macro", {9, 6, 273, 20}, 12);

    macroEdit = new QLineEdit(this);
    macroEdit->setObjectName("Macro");
    macroEdit->setGeometry(9, 32, 273, 21);
    PaintLimeOnBlack(macroEdit);

    const OkCancel buttons = AddOkCancel(60, 157, 61, nullptr);
    okButton = buttons.ok;
    cancelButton = buttons.cancel;
}

void MacroDialog::SetMacroText(const std::string& text) {
    macroEdit->setText(FromBytes(text));
    // The dialog opens in the box with the text selected, whichever control had the
    // focus when it last closed: typing replaces the macro, End keeps it.
    macroEdit->selectAll();
    macroEdit->setFocus();
}

std::string MacroDialog::MacroText() const {
    return ToBytes(macroEdit->text());
}

} // namespace marloven
