// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

class QPushButton;

namespace marloven {

class TGIFImage;

// The About box, also shown without its button while the farewell sound plays.
class TAboutBox : public QDialog {
    Q_OBJECT
  public:
    explicit TAboutBox(QWidget* parent = nullptr);

    QPushButton* Button1 = nullptr; // "OK"

    // The animated star in the top left corner.
    TGIFImage* GIFImage1 = nullptr;
};

} // namespace marloven
