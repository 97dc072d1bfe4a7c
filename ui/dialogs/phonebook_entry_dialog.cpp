// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/dialogs/phonebook_entry_dialog.h"

#include "comm/internet_link.h"
#include "launcher/text_conversions.h"
#include "ui/look/char_filter.h"

#include <QLineEdit>
#include <QPushButton>

namespace marloven {

namespace {

QLineEdit* AddEntryBox(QWidget* parent, const char* name, int top) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setGeometry(12, top, 233, 21);
    PaintLimeOnBlack(box);
    return box;
}

} // namespace

TEditInfo::TEditInfo(QWidget* parent) : FixedDialog("Edit Entry", {257, 145}, parent) {
    AddCaption(this, "Name", {12, 8, 233, 18}, 10);
    Name = AddEntryBox(this, "Name", 27);
    AddCaption(this, "Phone Number", {12, 56, 233, 18}, 10);
    Number = AddEntryBox(this, "Number", 75);
    CharFilter::Install(Number, kNumberChars);

    const OkCancel buttons = AddOkCancel(44, 138, 110, Name);
    OKButton = buttons.ok;
    CancelButton = buttons.cancel;
    OKButton->setEnabled(false);

    connect(Name, &QLineEdit::textChanged, this, &TEditInfo::NameChange);
    connect(Number, &QLineEdit::textChanged, this, &TEditInfo::NameChange);
}

void TEditInfo::SetEntry(const QString& name, const QString& number) {
    SetBoxText(Name, name);
    SetBoxText(Number, number);
    NameChange();
}

void TEditInfo::AcceptInternetAddresses(bool accept) {
    delete Number->validator();
    CharFilter::Install(Number, accept ? FromBytes(kInternetNumberChars) : kNumberChars);
}

QString TEditInfo::NameText() const {
    return Name->text();
}

QString TEditInfo::NumberText() const {
    return Number->text();
}

// Shared by both boxes: an entry needs a name and a number.
void TEditInfo::NameChange() {
    OKButton->setEnabled(!Name->text().isEmpty() && !Number->text().isEmpty());
}

// Each opening starts in the name box. Coming back from another program while the
// dialog is open leaves the focus where the player left it.
void TEditInfo::showEvent(QShowEvent* event) {
    Name->setFocus();
    FixedDialog::showEvent(event);
}

} // namespace marloven
