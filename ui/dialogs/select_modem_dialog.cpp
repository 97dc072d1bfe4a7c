// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/dialogs/select_modem_dialog.h"

#include "qt_text/text_conversions.h"
#include "ui/prompter.h"

#include <QListWidget>
#include <QPushButton>

namespace marloven {

SelectModemDialog::SelectModemDialog(Prompter& prompter, QWidget* parent)
    : FixedDialog("Select Modem", {361, 234}, parent), prompter_(prompter) {
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                   Qt::WindowTitleHint);
    AddCaption(this, kCaption, {8, 6, 345, 36}, 10, Qt::AlignHCenter | Qt::AlignTop);

    modemList = new QListWidget(this);
    modemList->setObjectName("ModemList");
    modemList->setGeometry(8, 48, 345, 145);
    modemList->setSelectionMode(QAbstractItemView::SingleSelection);
    PaintLimeOnBlack(modemList);

    const OkCancel buttons = AddOkCancel(96, 190, 201, modemList, false);
    okButton = buttons.ok;
    cancelButton = buttons.cancel;
    okButton->setEnabled(false);

    // Picking a row by keyboard counts as much as a click.
    connect(modemList, &QListWidget::itemSelectionChanged, this, &SelectModemDialog::EnableOk);
    connect(modemList, &QListWidget::itemDoubleClicked, this, &SelectModemDialog::ApplyPickedModem);
    connect(okButton, &QPushButton::clicked, this, &SelectModemDialog::ApplyPickedModem);
    // The arrows pick a row in the list, and Enter is "OK" even after a Cancel.
}

void SelectModemDialog::ListInstalledModems(std::unique_ptr<RegistrySource> source) {
    source_ = std::move(source);
    modems_ = source_ ? marloven::ListInstalledModems(*source_) : std::vector<ModemRow>();
    modemList->clear();
    for (const auto& modem : modems_) {
        modemList->addItem(FromBytes(modem.description));
    }
    // The view would keep the scroll position of the last detection.
    modemList->scrollToTop();
}

int SelectModemDialog::PickedRow() const {
    const auto selected = modemList->selectedItems();
    return selected.isEmpty() ? -1 : modemList->row(selected.front());
}

void SelectModemDialog::EnableOk() {
    if (PickedRow() >= 0) {
        okButton->setEnabled(true);
    }
}

void SelectModemDialog::ApplyPickedModem() {
    const auto row = PickedRow();
    const auto* picked = row >= 0 ? &modems_.at(static_cast<std::size_t>(row)) : nullptr;
    const auto modem = source_ ? DetectModem(*source_, picked) : std::nullopt;
    if (!modem) {
        prompter_.Inform(FromBytes(kDetectFailedMessage));
        return;
    }
    if (apply_) {
        apply_(*modem);
    }
    accept();
}

} // namespace marloven
