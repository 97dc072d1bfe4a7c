// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "comm/phonebook.h"
#include "ui/look/dialog_look.h"

#include <QString>
#include <filesystem>
#include <string>
#include <vector>

class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace marloven {

class Prompter;
class PhonebookEntryDialog;

// The phonebook: the player picks the opponent to dial, and adds, edits and deletes
// entries on the way.
//
// Before each showing the caller runs LoadPhonebook(); when it returns false the
// error box has been shown and the dialog must not open. After exec() the caller
// reads ChosenNumber(): the picked entry's number, or empty when the player did not
// pick one. Only a confirmed add or edit writes MARLOVEN.PBK; deletions and names
// edited in place reach the file with the next such save, or are dropped.
class PickOpponentDialog : public FixedDialog {
    Q_OBJECT
  public:
    static inline const QString kNoPickMessage = QStringLiteral("Pick an opponent to call first.");

    // entryDialog is the launcher's one entry dialog, which outlives this one.
    PickOpponentDialog(std::filesystem::path gameDir, Prompter& prompter,
                       PhonebookEntryDialog& entryDialog, QWidget* parent = nullptr);

    bool LoadPhonebook();
    // The next showing lists the invitation's address as an entry "From invitation",
    // picked; it is never written to the phonebook file.
    void OfferInvitation(const QString& number) { invitationNumber_ = number; }
    static inline const QString kInvitationName = QStringLiteral("From invitation");
    std::string ChosenNumber() const { return chosenNumber_; }
    PhonebookEntryDialog& EntryDialog() const { return entryDialog_; }

    QTreeWidget* phoneList = nullptr;
    QPushButton* addEditButton = nullptr;
    QPushButton* deleteButton = nullptr;
    QPushButton* dialButton = nullptr;
    QPushButton* cancelButton = nullptr;

    void AddOrEditEntry();
    void DeleteEntry();
    void DialPicked();

  private:
    QTreeWidgetItem* SelectedRow() const;
    void AppendRow(const QString& name, const QString& number);
    std::vector<PhonebookEntry> Rows() const;
    void SavePhonebook();

    std::filesystem::path gameDir_;
    Prompter& prompter_;
    PhonebookEntryDialog& entryDialog_;
    std::string chosenNumber_;
    QString invitationNumber_;
};

} // namespace marloven
