// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/look/look.h"

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
    struct OkCancel {
        QPushButton* ok;
        QPushButton* cancel;
    };
    // "OK" and "Cancel" in a row at y; Cancel rejects. OK accepts, unless the dialog
    // has a step of its own for it (okAccepts false) and connects that. OK is the
    // default at every showing, with the focus on `focus`.
    OkCancel AddOkCancel(int okX, int cancelX, int y, QWidget* focus, bool okAccepts = true);

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
