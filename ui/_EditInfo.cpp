#include "ui/_EditInfo.h"

#include "comm/internet_link.h"
#include "ui/char_filter.h"

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
    name_ = AddEntryBox(this, "Name", 27);
    AddCaption(this, "Phone Number", {12, 56, 233, 18}, 10);
    number_ = AddEntryBox(this, "Number", 75);
    CharFilter::Install(number_, kNumberChars);

    ok_ = AddButton(this, "OKButton", "OK", 44, 110);
    ok_->setDefault(true);
    ok_->setEnabled(false);
    cancel_ = AddButton(this, "CancelButton", "Cancel", 138, 110);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);

    connect(name_, &QLineEdit::textChanged, this, &TEditInfo::NameChange);
    connect(number_, &QLineEdit::textChanged, this, &TEditInfo::NameChange);
}

void TEditInfo::SetEntry(const QString& name, const QString& number) {
    SetBoxText(name_, name);
    SetBoxText(number_, number);
    NameChange();
}

void TEditInfo::AcceptInternetAddresses(bool accept) {
    delete number_->validator();
    CharFilter::Install(number_, accept ? FromBytes(kInternetNumberChars) : kNumberChars);
}

QString TEditInfo::NameText() const {
    return name_->text();
}

QString TEditInfo::NumberText() const {
    return number_->text();
}

// Shared by both boxes: an entry needs a name and a number.
void TEditInfo::NameChange() {
    ok_->setEnabled(!name_->text().isEmpty() && !number_->text().isEmpty());
}

// Each opening starts in the name box. Coming back from another program while the
// dialog is open leaves the focus where the player left it.
void TEditInfo::showEvent(QShowEvent* event) {
    name_->setFocus();
    FixedDialog::showEvent(event);
}

} // namespace marloven
