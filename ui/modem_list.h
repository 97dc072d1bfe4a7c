#pragma once

#include <QDialog>

namespace marloven {

// Lists the installed modems for the player to pick one.
class TSelectModem : public QDialog {
    Q_OBJECT
public:
    explicit TSelectModem(QWidget* parent = nullptr);
};

} // namespace marloven
