// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/look/dialog_look.h"

#include <functional>
#include <memory>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace marloven {

class Relay;

// "Marloven - Link": while DOSBox runs and the main window is hidden, what the link is
// doing until it is up, what to tell the other players when hosting (with Copy), and
// Cancel (Escape too), which ends the start. It closes by itself once the link is up.
class LinkWindow : public FixedDialog {
    Q_OBJECT
  public:
    LinkWindow(Relay& relay, std::function<void()> cancel);

    QLabel* Progress = nullptr;
    QPlainTextEdit* Tell = nullptr;
    QPushButton* CopyButton = nullptr;
    QPushButton* CancelButton = nullptr;

    // The window of each start's link, as the DOS engine asks for it.
    static std::unique_ptr<QObject> Open(Relay& relay, std::function<void()> cancel);

  protected:
    void reject() override;

  private:
    std::function<void()> cancel_;
};

} // namespace marloven
