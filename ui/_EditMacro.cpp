#include "ui/_EditMacro.h"

#include <QLineEdit>
#include <QPushButton>

namespace marloven {

TEditMacro::TEditMacro(QWidget* parent) : FixedDialog("Edit Macro", {292, 92}, parent) {
    AddCaption(this, "Edit Macro", {9, 6, 273, 20}, 12);

    macro_ = new QLineEdit(this);
    macro_->setObjectName("Macro");
    macro_->setGeometry(9, 32, 273, 21);
    PaintLimeOnBlack(macro_);

    ok_ = AddButton(this, "OKButton", "OK", 60, 61);
    ok_->setDefault(true);
    cancel_ = AddButton(this, "CancelButton", "Cancel", 157, 61);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
}

void TEditMacro::SetMacroText(const std::string& text) {
    macro_->setText(FromBytes(text));
    // The dialog opens in the box with the text selected, whichever control had the
    // focus when it last closed: typing replaces the macro, End keeps it.
    macro_->selectAll();
    macro_->setFocus();
}

std::string TEditMacro::MacroText() const {
    return ToBytes(macro_->text());
}

} // namespace marloven
