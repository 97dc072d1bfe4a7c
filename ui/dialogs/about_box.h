// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

class QPushButton;

namespace marloven {

class GifImage;

// The About box, also shown without its button while the farewell sound plays.
class AboutBox : public QDialog {
    Q_OBJECT
  public:
    explicit AboutBox(QWidget* parent = nullptr);

    QPushButton* okButton = nullptr; // "OK"

    // The animated star in the top left corner.
    GifImage* emblem = nullptr;
};

} // namespace marloven
