#pragma once

#include "ui/dialog_look.h"

#include <string>

class QLineEdit;
class QPushButton;

namespace marloven {

// Edits the text of one combat macro. The main window puts the text in with
// SetMacroText, shows the dialog with exec() and, when it is accepted, reads
// MacroText(); any other result changes nothing.
class TEditMacro : public FixedDialog {
    Q_OBJECT
  public:
    explicit TEditMacro(QWidget* parent = nullptr);

    // Fills the box and puts the focus there, all of the text selected.
    void SetMacroText(const std::string& text);
    std::string MacroText() const;

    QLineEdit* Macro() const { return macro_; }
    QPushButton* OkButton() const { return ok_; }
    QPushButton* CancelButton() const { return cancel_; }

  private:
    QLineEdit* macro_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

} // namespace marloven
