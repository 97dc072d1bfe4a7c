#pragma once

#include "comm/modem_detect.h"
#include "ui/dialog_look.h"

#include <functional>
#include <vector>

class QListWidget;
class QPushButton;

namespace marloven {

// Lists the installed modems for the player to pick one.
//
// The main window fills the rows with SetModems (what ListInstalledModems found),
// hands the apply step to SetApplyHandler once, and shows the dialog with exec().
// "OK" or a double click on a row calls the handler with the picked modem (null
// when no row is selected); the dialog closes as accepted when the handler returns
// true and stays open otherwise, so a failed detection can be reported and retried.
// "OK" starts disabled and is enabled by the first row picked, then stays enabled.
class TSelectModem : public FixedDialog {
    Q_OBJECT
  public:
    static inline const QString kCaption = QStringLiteral(
        "The following modems are installed on your computer. Please select your modem from "
        "the list below.");

    explicit TSelectModem(QWidget* parent = nullptr);

    using ApplyHandler = std::function<bool(const ModemRow* picked)>;
    void SetApplyHandler(ApplyHandler handler) { apply_ = std::move(handler); }

    // Replaces the rows, leaving none selected.
    void SetModems(std::vector<ModemRow> modems);
    // The picked row's index, or -1.
    int PickedRow() const;

    QListWidget* ModemList() const { return modemList_; }
    QPushButton* OkButton() const { return ok_; }
    QPushButton* CancelButton() const { return cancel_; }

    void ModemListClick();
    void Button1Click();

  private:
    std::vector<ModemRow> modems_;
    ApplyHandler apply_;
    QListWidget* modemList_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

} // namespace marloven
