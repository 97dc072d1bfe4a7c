// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/dialogs/select_modem_dialog.h"

#include "launcher/text_conversions.h"
#include "ui/prompter.h"

#include <QListWidget>
#include <QPushButton>

namespace marloven {

TSelectModem::TSelectModem(Prompter& prompter, QWidget* parent)
    : FixedDialog("Select Modem", {361, 234}, parent), prompter_(prompter) {
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                   Qt::WindowTitleHint);
    AddCaption(this, kCaption, {8, 6, 345, 36}, 10, Qt::AlignHCenter | Qt::AlignTop);

    ModemList = new QListWidget(this);
    ModemList->setObjectName("ModemList");
    ModemList->setGeometry(8, 48, 345, 145);
    ModemList->setSelectionMode(QAbstractItemView::SingleSelection);
    PaintLimeOnBlack(ModemList);

    const OkCancel buttons = AddOkCancel(96, 190, 201, ModemList, false);
    OKButton = buttons.ok;
    CancelButton = buttons.cancel;
    OKButton->setEnabled(false);

    // Picking a row by keyboard counts as much as a click.
    connect(ModemList, &QListWidget::itemSelectionChanged, this, &TSelectModem::ModemListClick);
    connect(ModemList, &QListWidget::itemDoubleClicked, this, &TSelectModem::Button1Click);
    connect(OKButton, &QPushButton::clicked, this, &TSelectModem::Button1Click);
    // The arrows pick a row in the list, and Enter is "OK" even after a Cancel.
}

void TSelectModem::ListInstalledModems(std::unique_ptr<RegistrySource> source) {
    source_ = std::move(source);
    modems_ = source_ ? marloven::ListInstalledModems(*source_) : std::vector<ModemRow>();
    ModemList->clear();
    for (const auto& modem : modems_) {
        ModemList->addItem(FromBytes(modem.description));
    }
    // The view would keep the scroll position of the last detection.
    ModemList->scrollToTop();
}

int TSelectModem::PickedRow() const {
    const auto selected = ModemList->selectedItems();
    return selected.isEmpty() ? -1 : ModemList->row(selected.front());
}

void TSelectModem::ModemListClick() {
    if (PickedRow() >= 0) {
        OKButton->setEnabled(true);
    }
}

void TSelectModem::Button1Click() {
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
