// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/dialogs/pick_opponent_dialog.h"

#include "qt_text/text_conversions.h"
#include "ui/dialogs/phonebook_entry_dialog.h"
#include "ui/prompter.h"

#include <QApplication>
#include <QHeaderView>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTreeWidget>

namespace marloven {

namespace {

enum Column { kNameColumn = 0, kNumberColumn = 1 };

// Only the row's caption, the name, is edited in place; the number only through
// "&Add / Edit".
class NameOnlyDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        if (index.column() != kNameColumn) {
            return nullptr;
        }
        return QStyledItemDelegate::createEditor(parent, option, index);
    }
};

QTreeWidget* MakePhoneList(QWidget* parent) {
    auto* list = new QTreeWidget(parent);
    list->setObjectName("PhoneList");
    list->setGeometry(8, 8, 345, 201);
    list->setHeaderLabels({"Name", "Phone Number"});
    list->setColumnWidth(kNameColumn, 165);
    list->setColumnWidth(kNumberColumn, 150);
    list->header()->setStretchLastSection(false);
    list->header()->setSectionsMovable(false);
    list->setRootIsDecorated(false);
    list->setItemsExpandable(false);
    list->setSortingEnabled(false);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
    list->setItemDelegate(new NameOnlyDelegate(list));
    PaintLimeOnBlack(list);
    // Only the rows are lime on black; the column headings keep the plain look.
    QPalette headings = list->header()->palette();
    for (const auto role : {QPalette::Window, QPalette::Base, QPalette::ButtonText}) {
        headings.setColor(role, QApplication::palette().color(role));
    }
    list->header()->setPalette(headings);
    return list;
}

} // namespace

PickOpponentDialog::PickOpponentDialog(std::filesystem::path gameDir, Prompter& prompter,
                                       PhonebookEntryDialog& entryDialog, QWidget* parent)
    : FixedDialog("Pick Opponent", {361, 250}, parent), gameDir_(std::move(gameDir)),
      prompter_(prompter), entryDialog_(entryDialog) {
    phoneList = MakePhoneList(this);
    const auto addButton = [this](const char* name, const QString& text, int left) {
        auto* button = AddButton(this, name, text, left, 217, 81);
        button->setAutoDefault(false); // no default button: Enter in the list does nothing
        return button;
    };
    addEditButton = addButton("AddEditButton", "&Add / Edit", 8);
    deleteButton = addButton("DeleteButton", "&Delete", 96);
    dialButton = addButton("DialButton", "&Dial", 184);
    cancelButton = addButton("CancelButton", "Cancel", 272);
    connect(addEditButton, &QPushButton::clicked, this, &PickOpponentDialog::AddOrEditEntry);
    connect(deleteButton, &QPushButton::clicked, this, &PickOpponentDialog::DeleteEntry);
    connect(dialButton, &QPushButton::clicked, this, &PickOpponentDialog::DialPicked);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

bool PickOpponentDialog::LoadPhonebook() {
    phoneList->clear();
    chosenNumber_.clear();
    const bool read = ReportFileErrors(prompter_, [this] {
        for (const auto& entry : ReadPhonebook(gameDir_)) {
            AppendRow(FromBytes(entry.name), FromBytes(entry.number));
        }
    });
    if (!read) {
        phoneList->clear();
    }
    if (read && !invitationNumber_.isEmpty()) {
        auto* row = new QTreeWidgetItem(phoneList, {kInvitationName, invitationNumber_});
        row->setData(kNameColumn, Qt::UserRole, true);
        row->setSelected(true);
        phoneList->setCurrentItem(row);
    }
    invitationNumber_.clear();
    return read;
}

QTreeWidgetItem* PickOpponentDialog::SelectedRow() const {
    const auto selected = phoneList->selectedItems();
    return selected.isEmpty() ? nullptr : selected.front();
}

void PickOpponentDialog::AppendRow(const QString& name, const QString& number) {
    auto* row = new QTreeWidgetItem(phoneList, {name, number});
    row->setFlags(row->flags() | Qt::ItemIsEditable);
}

std::vector<PhonebookEntry> PickOpponentDialog::Rows() const {
    std::vector<PhonebookEntry> rows;
    for (int index = 0; index < phoneList->topLevelItemCount(); ++index) {
        const auto* row = phoneList->topLevelItem(index);
        if (row->data(kNameColumn, Qt::UserRole).toBool()) {
            continue; // the invitation's entry lives only in this showing
        }
        rows.push_back({ToBytes(row->text(kNameColumn)), ToBytes(row->text(kNumberColumn))});
    }
    return rows;
}

void PickOpponentDialog::SavePhonebook() {
    ReportFileErrors(prompter_, [this] { WritePhonebook(gameDir_, Rows()); });
}

// Edits the selected entry, or adds one when none is selected.
void PickOpponentDialog::AddOrEditEntry() {
    auto* row = SelectedRow();
    entryDialog_.SetEntry(row ? row->text(kNameColumn) : QString(),
                          row ? row->text(kNumberColumn) : QString());
    if (entryDialog_.exec() != QDialog::Accepted) {
        return;
    }
    if (row) {
        row->setText(kNameColumn, entryDialog_.NameText());
        row->setText(kNumberColumn, entryDialog_.NumberText());
    } else {
        AppendRow(entryDialog_.NameText(), entryDialog_.NumberText());
    }
    SavePhonebook();
}

// The list would move the selection to a neighbour; leaving none keeps a following
// "&Add / Edit" from editing an entry the player never picked.
void PickOpponentDialog::DeleteEntry() {
    delete SelectedRow();
    phoneList->clearSelection();
}

void PickOpponentDialog::DialPicked() {
    const auto* row = SelectedRow();
    if (!row) {
        prompter_.Inform(kNoPickMessage);
        return;
    }
    chosenNumber_ = ToBytes(row->text(kNumberColumn));
    accept();
}

} // namespace marloven
