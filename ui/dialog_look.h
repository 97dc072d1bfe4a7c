#pragma once

#include "ui/look.h"

#include <QDialog>

class QPushButton;

namespace marloven {

// A dialog with a fixed frame of the given client size over the stone background,
// that opens centred on the screen whatever window it belongs to.
class FixedDialog : public QDialog {
    Q_OBJECT
  public:
    FixedDialog(const QString& title, QSize clientSize, QWidget* parent);

  protected:
    // The dialog is built once and shown again and again: each showing starts with the
    // focus on `focus` and with `defaultButton` answering Enter, whatever the player
    // clicked the last time (a clicked button keeps the focus and would take Enter).
    void OpenWith(QWidget* focus, QPushButton* defaultButton);
    void showEvent(QShowEvent* event) override;

  private:
    QWidget* openingFocus_ = nullptr;
    QPushButton* defaultButton_ = nullptr;
};

} // namespace marloven
