// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/main/page.h"

#include "ui/main/store_writer.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace marloven {

struct AppContext;
struct CommitSettings;
struct DetectedModem;
struct Forms;
struct MainSettings;

// "Modem Setup": the serial port and modem strings a modem start hands the driver, and
// the detection of an installed modem.
class ModemPage : public Page {
  public:
    // The forms are created after this page; it reaches them only once they exist.
    ModemPage(AppContext& context, Forms& forms);

    // Fills the controls from the store's values.
    void Load(const MainSettings& settings) override;
    // Puts the page's texts into a driver start, as they stand, unchecked.
    void FillCommitSettings(CommitSettings& settings) const;

    QComboBox* comPortCombo = nullptr;
    QLabel* uartLabel = nullptr;
    QLineEdit* uartEdit = nullptr;
    QLabel* irqLabel = nullptr;
    QLineEdit* irqEdit = nullptr;
    QComboBox* baudRateCombo = nullptr;
    QCheckBox* toneDialCheck = nullptr;
    QLineEdit* initEdit = nullptr;
    QLineEdit* hangupEdit = nullptr;
    QLineEdit* dialOutEdit = nullptr;
    QPushButton* detectModemButton = nullptr; // "Detect Modem"

  private:
    void BuildPortRow();
    void ConnectHandlers();
    void SetPortDetailsEnabled(bool enabled);
    void StoreComPort(int position);
    void StoreBaudRate();
    void StoreToneDial(bool ticked);
    void DetectInstalledModem();
    void ApplyDetectedModem(const DetectedModem& modem);

    AppContext& context_;
    Forms& forms_;
    StoreWriter store_;
};

} // namespace marloven
