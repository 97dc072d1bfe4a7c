// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "comm/modem_detect.h"
#include "ui/look/dialog_look.h"

#include <functional>
#include <memory>
#include <vector>

class QListWidget;
class QPushButton;

namespace marloven {

class Prompter;

// Lists the installed modems for the player to pick one.
//
// Before each showing the main window calls ListInstalledModems with a freshly opened
// source and hands over its apply step with SetApplyHandler. "OK" or a double click on
// a row reads the picked modem from the same source: when a value it needs cannot be
// read, "Could not Detect modem properly." is shown and the dialog stays open;
// otherwise the handler puts the modem into the main window and the dialog closes as
// accepted. "OK" starts disabled and is enabled by the first row picked, then stays
// enabled; with no row picked it reports the failure.
class SelectModemDialog : public FixedDialog {
    Q_OBJECT
  public:
    static inline const QString kCaption = QStringLiteral(
        "The following modems are installed on your computer. Please select your modem from "
        "the list below.");

    explicit SelectModemDialog(Prompter& prompter, QWidget* parent = nullptr);

    using ApplyHandler = std::function<void(const DetectedModem& modem)>;
    void SetApplyHandler(ApplyHandler handler) { apply_ = std::move(handler); }

    // Replaces the rows by the source's modems, leaving none selected. No source lists
    // none.
    void ListInstalledModems(std::unique_ptr<RegistrySource> source);
    // The picked row's index, or -1.
    int PickedRow() const;

    QListWidget* modemList = nullptr;
    QPushButton* okButton = nullptr;
    QPushButton* cancelButton = nullptr;

    void EnableOk();
    void ApplyPickedModem();

  private:
    Prompter& prompter_;
    std::unique_ptr<RegistrySource> source_;
    std::vector<ModemRow> modems_;
    ApplyHandler apply_;
};

} // namespace marloven
