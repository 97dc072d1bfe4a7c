#pragma once

#include "ui/look.h"

#include <QDialog>

namespace marloven {

// A dialog with a fixed frame of the given client size over the stone background,
// that opens centred on the screen whatever window it belongs to.
class FixedDialog : public QDialog {
    Q_OBJECT
  public:
    FixedDialog(const QString& title, QSize clientSize, QWidget* parent);

  protected:
    void showEvent(QShowEvent* event) override;
};

} // namespace marloven
