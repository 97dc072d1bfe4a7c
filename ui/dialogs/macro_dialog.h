// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/look/dialog_look.h"

#include <string>

class QLineEdit;
class QPushButton;

namespace marloven {

// Edits the text of one combat macro. The main window puts the text in with
// SetMacroText, shows the dialog with exec() and, when it is accepted, reads
// MacroText(); any other result changes nothing.
class MacroDialog : public FixedDialog {
    Q_OBJECT
  public:
    explicit MacroDialog(QWidget* parent = nullptr);

    // Fills the box and puts the focus there, all of the text selected.
    void SetMacroText(const std::string& text);
    std::string MacroText() const;

    QLineEdit* macroEdit = nullptr;
    QPushButton* okButton = nullptr;
    QPushButton* cancelButton = nullptr;

  private:
};

} // namespace marloven
