#pragma once

#include <QDialog>

class QPushButton;

namespace marloven {

// The About box, also shown without its button while the farewell sound plays.
class TAboutBox : public QDialog {
    Q_OBJECT
  public:
    explicit TAboutBox(QWidget* parent = nullptr);

    QPushButton* Button1 = nullptr; // "OK"
};

} // namespace marloven
