// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/look/dialog_look.h"

#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;

namespace marloven {

// Edits one phonebook entry. The phonebook fills it with SetEntry, shows it with
// exec() and, when it is accepted, reads NameText() and NumberText(). "OK" is
// enabled exactly while both boxes hold text.
class PhonebookEntryDialog : public FixedDialog {
    Q_OBJECT
  public:
    // What the number box lets the player type.
    static inline const QString kNumberChars = QStringLiteral("1234567890()- ");

    explicit PhonebookEntryDialog(QWidget* parent = nullptr);

    void SetEntry(const QString& name, const QString& number);
    // Where DOSBox's modem dials, a number may also be an internet address
    // ("host:port"); elsewhere the box takes the phone-number characters only.
    void AcceptInternetAddresses(bool accept);
    QString NameText() const;
    QString NumberText() const;

    QLineEdit* nameEdit = nullptr;
    QLineEdit* numberEdit = nullptr;
    QPushButton* okButton = nullptr;
    QPushButton* cancelButton = nullptr;
    // Says why OK is off when a text is longer than the file keeps.
    QLabel* tooLongLabel = nullptr;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void CheckEntry();
};

} // namespace marloven
