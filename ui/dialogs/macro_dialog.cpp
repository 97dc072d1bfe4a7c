// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/dialogs/macro_dialog.h"

#include "launcher/text_conversions.h"

#include <QLineEdit>
#include <QPushButton>

namespace marloven {

TEditMacro::TEditMacro(QWidget* parent) : FixedDialog("Edit Macro", {292, 92}, parent) {
    AddCaption(this, "Edit Macro", {9, 6, 273, 20}, 12);

    Macro = new QLineEdit(this);
    Macro->setObjectName("Macro");
    Macro->setGeometry(9, 32, 273, 21);
    PaintLimeOnBlack(Macro);

    const OkCancel buttons = AddOkCancel(60, 157, 61, nullptr);
    OKButton = buttons.ok;
    CancelButton = buttons.cancel;
}

void TEditMacro::SetMacroText(const std::string& text) {
    Macro->setText(FromBytes(text));
    // The dialog opens in the box with the text selected, whichever control had the
    // focus when it last closed: typing replaces the macro, End keeps it.
    Macro->selectAll();
    Macro->setFocus();
}

std::string TEditMacro::MacroText() const {
    return ToBytes(Macro->text());
}

} // namespace marloven
