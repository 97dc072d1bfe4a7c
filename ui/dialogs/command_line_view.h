// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/look/dialog_look.h"

#include <functional>
#include <string>
#include <string_view>

class QComboBox;
class QPlainTextEdit;
class QPushButton;

namespace marloven {

// "View > Command Line": what a start of the main window would run, chosen from the
// list of starts: the DOS command line, the host command and DOSBox's configuration,
// with a Copy button.
class CommandLineView : public FixedDialog {
    Q_OBJECT
  public:
    // Describes the start of the given name (see StartNames) as it would be made now.
    using Describe = std::function<std::string(std::string_view name)>;

    explicit CommandLineView(QWidget* parent = nullptr);

    // Opens the view on Single Player, and waits until it is closed.
    void Show(Describe describe);

    QComboBox* startCombo = nullptr;
    QPlainTextEdit* startText = nullptr;
    QPushButton* copyButton = nullptr;

  private:
    void ShowChosen();

    Describe describe_;
};

} // namespace marloven
