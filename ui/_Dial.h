#pragma once

#include <QDialog>

namespace marloven {

// The phonebook: the player picks the opponent to dial.
class TDial : public QDialog {
    Q_OBJECT
public:
    explicit TDial(QWidget* parent = nullptr);
};

} // namespace marloven
