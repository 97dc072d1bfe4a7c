#pragma once

#include <QDialog>

namespace marloven {

// Asks how many players take part in a network game, and on which socket.
class TNetNoPlayers : public QDialog {
    Q_OBJECT
public:
    explicit TNetNoPlayers(QWidget* parent = nullptr);
};

} // namespace marloven
