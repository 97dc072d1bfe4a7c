#pragma once

#include <QDialog>

namespace marloven {

// The About box, also shown while the farewell sound plays.
class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);
};

} // namespace marloven
