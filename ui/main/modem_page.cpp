// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/main/modem_page.h"

#include "comm/commit_data.h"
#include "comm/modem_detect.h"
#include "core/settings.h"
#include "qt_text/text_conversions.h"
#include "ui/app_context.h"
#include "ui/dialogs/select_modem_dialog.h"
#include "ui/look/char_filter.h"
#include "ui/look/look.h"
#include "ui/main/page_controls.h"
#include "ui/prompter.h"
#include "ui/startup.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace marloven {

ModemPage::ModemPage(AppContext& context, Forms& forms)
    : context_(context), forms_(forms), store_(context.store) {
    setObjectName("ModemPage");
    BuildPortRow();
    AddLabel(this, "Baud Rate:", 8, 68);
    baudRateCombo =
        AddList(this, "BaudRate", {"9600", "19200", "38400", "57600", "115200"}, 88, 64, 105);
    baudRateCombo->setCurrentText(cfg_default::kPortSpeed);
    toneDialCheck = AddCheck(this, "UseTone", "Touch Tone Dialing", 208, 66, 137, true);

    AddLabel(this, "Init String:", 8, 100);
    initEdit = AddEdit(this, "Init", cfg_default::kInitString, 88, 96, 305);
    AddLabel(this, "Hangup String:", 8, 128);
    hangupEdit = AddEdit(this, "Hangup", cfg_default::kHangupString, 88, 124, 305);
    AddLabel(this, "Dialout String:", 8, 156);
    dialOutEdit = AddEdit(this, "DialOut", "DialOut", 88, 152, 305);
    detectModemButton = AddButton(this, "Button6", "Detect Modem", 304, 186, 89);
    ConnectHandlers();
}

void ModemPage::BuildPortRow() {
    AddLabel(this, "COM port:", 8, 12);
    comPortCombo =
        AddList(this, "ComPort",
                {"COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7", "COM8", "User Defined"},
                88, 8, 105);
    comPortCombo->setPlaceholderText("COM 2");
    comPortCombo->setCurrentIndex(-1);
    uartLabel = AddLabel(this, "UART:", 8, 40);
    uartLabel->setObjectName("UartLabel");
    uartEdit = AddEdit(this, "Uart", "Uart", 88, 36, 105);
    irqLabel = AddLabel(this, "IRQ:", 208, 40);
    irqLabel->setObjectName("IRQLabel");
    irqEdit = AddEdit(this, "IRQ", "IRQ", 240, 36, 73);
    SetPortDetailsEnabled(false);
}

void ModemPage::ConnectHandlers() {
    store_.FollowEdits(initEdit, cfg_key::kInitString, true);
    store_.FollowEdits(hangupEdit, cfg_key::kHangupString, true);
    store_.FollowEdits(dialOutEdit, cfg_key::kDialOutString, true);
    store_.FollowEdits(uartEdit, cfg_key::kUartAddress, false);
    store_.FollowEdits(irqEdit, cfg_key::kIrqNumber, false);
    // Lists answer "activated": the player's own choice, not a change made by the program.
    connect(baudRateCombo, &QComboBox::activated, this, &ModemPage::StoreBaudRate);
    connect(comPortCombo, &QComboBox::activated, this, &ModemPage::StoreComPort);
    connect(toneDialCheck, &QCheckBox::clicked, this, &ModemPage::StoreToneDial);
    connect(detectModemButton, &QPushButton::clicked, this, &ModemPage::DetectInstalledModem);
    DiscardTypedKeys(comPortCombo);
    DiscardTypedKeys(baudRateCombo);
}

void ModemPage::Load(const MainSettings& settings) {
    const auto filling = store_.Filling();
    Select(comPortCombo, settings.comPort);
    irqEdit->setText(FromBytes(settings.irq));
    uartEdit->setText(FromBytes(settings.uart));
    Select(baudRateCombo, settings.baudRate);
    toneDialCheck->setChecked(settings.toneDial);
    initEdit->setText(FromBytes(settings.init));
    hangupEdit->setText(FromBytes(settings.hangup));
    dialOutEdit->setText(FromBytes(settings.dialOut));
    if (settings.userDefinedPort) {
        SetPortDetailsEnabled(true);
    }
}

void ModemPage::FillCommitSettings(CommitSettings& settings) const {
    settings.init = ToBytes(initEdit->text());
    settings.hangup = ToBytes(hangupEdit->text());
    settings.dialOut = ToBytes(dialOutEdit->text());
    settings.useTone = toneDialCheck->isChecked();
    settings.comPortIndex = comPortCombo->currentIndex();
    settings.irq = ToBytes(irqEdit->text());
    settings.uart = ToBytes(uartEdit->text());
    settings.baudRate = ToBytes(baudRateCombo->currentText());
}

void ModemPage::SetPortDetailsEnabled(bool enabled) {
    for (QWidget* control : {static_cast<QWidget*>(uartLabel), static_cast<QWidget*>(irqLabel),
                             static_cast<QWidget*>(uartEdit), static_cast<QWidget*>(irqEdit)}) {
        control->setEnabled(enabled);
    }
}

void ModemPage::StoreComPort(int position) {
    const bool userDefined = position == kUserDefinedPortPosition;
    SetPortDetailsEnabled(userDefined);
    store_.Set(cfg_key::kComPort, FromBytes(ComPortValue(position)), false);
    // A standard port drops the port details from the store, but the boxes keep their
    // texts: these reach the store again only when the player edits them.
    if (!userDefined) {
        store_.Set(cfg_key::kIrqNumber, kStandardPortMark, false);
        store_.Set(cfg_key::kUartAddress, kStandardPortMark, false);
    }
}

void ModemPage::StoreBaudRate() {
    store_.Set(cfg_key::kPortSpeed, baudRateCombo->currentText(), false);
}

void ModemPage::StoreToneDial(bool ticked) {
    store_.Set(cfg_key::kToneDial, ticked ? "1" : "0", false);
}

void ModemPage::DetectInstalledModem() {
    SelectModemDialog& dialog = *forms_.selectModem;
    dialog.SetApplyHandler([this](const DetectedModem& modem) { ApplyDetectedModem(modem); });
    std::unique_ptr<RegistrySource> modems;
    if (context_.openModems &&
        !ReportFileErrors(context_.prompter, [&] { modems = context_.openModems(); })) {
        return;
    }
    dialog.ListInstalledModems(std::move(modems));
    dialog.exec();
}

// The lists are set directly, so the port's own handling (the UART and IRQ boxes and
// their keys) stays out of it; Init's change handler runs, and the stores come last.
void ModemPage::ApplyDetectedModem(const DetectedModem& modem) {
    comPortCombo->setCurrentIndex(modem.comPortIndex);
    const bool suggestion =
        context_.prompter.AskYesNo(FromBytes(kModemSuggestionQuestion), QuestionIcon::Information);
    const ModemChoice choice = ChooseModemSettings(modem, suggestion);
    initEdit->setText(FromBytes(choice.init));
    baudRateCombo->setCurrentIndex(choice.baudRateIndex);
    StoreModemSettings(context_.store, ToBytes(initEdit->text()),
                       ToBytes(baudRateCombo->currentText()), comPortCombo->currentIndex());
}

} // namespace marloven
