// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/dialogs/phonebook_entry_dialog.h"

#include "comm/internet_link.h"
#include "comm/link_address.h"
#include "comm/phonebook.h"
#include "qt_text/text_conversions.h"
#include "ui/look/char_filter.h"

#include <QHostAddress>
#include <QLabel>
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

// A bracketed IPv6 address with its port is kept in its shortest form (RFC 5952), so
// that "[2001:0db8:0000:0000:0000:0000:0000:0007]:2323" fits the file's 40 characters
// as "[2001:db8::7]:2323". Eight groups that need all their digits do not fit even so,
// and are refused as any other number that long.
QString ShortestNumber(const QString& number) {
    const auto address = ParseLinkAddress(NarrowText(number), 0);
    if (!address || !address->ipv6 || address->port == 0) {
        return number;
    }
    const QString host = QHostAddress(MessageText(address->host)).toString();
    return MessageText(ShowLinkAddress({NarrowText(host), address->port, true}));
}

} // namespace

PhonebookEntryDialog::PhonebookEntryDialog(QWidget* parent)
    : FixedDialog("Edit Entry", {257, 145}, parent) {
    AddCaption(this, "Name", {12, 8, 233, 18}, 10);
    nameEdit = AddEntryBox(this, "Name", 27);
    AddCaption(this, "Phone Number", {12, 56, 233, 18}, 10);
    numberEdit = AddEntryBox(this, "Number", 75);
    CharFilter::Install(numberEdit, kNumberChars);

    // The file keeps 40 characters of each; a longer text is refused, never cut.
    tooLongLabel = new QLabel(this);
    tooLongLabel->setObjectName("TooLong");
    tooLongLabel->setGeometry(12, 97, 233, 13);
    tooLongLabel->setFont(SansFont(10, true));
    PaintTextColor(tooLongLabel, Qt::yellow);
    tooLongLabel->hide();

    const OkCancel buttons = AddOkCancel(44, 138, 110, nameEdit);
    okButton = buttons.ok;
    cancelButton = buttons.cancel;
    okButton->setEnabled(false);

    connect(nameEdit, &QLineEdit::textChanged, this, &PhonebookEntryDialog::CheckEntry);
    connect(numberEdit, &QLineEdit::textChanged, this, &PhonebookEntryDialog::CheckEntry);
}

void PhonebookEntryDialog::SetEntry(const QString& name, const QString& number) {
    SetBoxText(nameEdit, name);
    SetBoxText(numberEdit, number);
    CheckEntry();
}

void PhonebookEntryDialog::AcceptInternetAddresses(bool accept) {
    delete numberEdit->validator();
    CharFilter::Install(numberEdit, accept ? FromBytes(kInternetNumberChars) : kNumberChars);
}

QString PhonebookEntryDialog::NameText() const {
    return nameEdit->text();
}

QString PhonebookEntryDialog::NumberText() const {
    return ShortestNumber(numberEdit->text());
}

// Shared by both boxes: an entry needs a name and a number, each of a length the
// phonebook file can hold.
void PhonebookEntryDialog::CheckEntry() {
    const auto fits = [](const QString& text) {
        return static_cast<std::size_t>(text.size()) <= kPhonebookFieldSize;
    };
    const bool fit = fits(NameText()) && fits(NumberText());
    // Short enough for the dialog's width in Windows' fonts too, which are wider.
    tooLongLabel->setText(QStringLiteral("%1 characters at most.").arg(kPhonebookFieldSize));
    tooLongLabel->setVisible(!fit);
    okButton->setEnabled(fit && !nameEdit->text().isEmpty() && !numberEdit->text().isEmpty());
}

// Each opening starts in the name box. Coming back from another program while the
// dialog is open leaves the focus where the player left it.
void PhonebookEntryDialog::showEvent(QShowEvent* event) {
    nameEdit->setFocus();
    FixedDialog::showEvent(event);
}

} // namespace marloven
