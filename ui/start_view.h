#pragma once

#include "ui/dialog_look.h"

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
class StartView : public FixedDialog {
    Q_OBJECT
  public:
    // Describes the start of the given name (see StartNames) as it would be made now.
    using Describe = std::function<std::string(std::string_view name)>;

    explicit StartView(QWidget* parent = nullptr);

    // Opens the view on Single Player, and waits until it is closed.
    void Show(Describe describe);

    QComboBox* Start = nullptr;
    QPlainTextEdit* Text = nullptr;
    QPushButton* CopyButton = nullptr;

  private:
    void ShowChosen();

    Describe describe_;
};

} // namespace marloven
