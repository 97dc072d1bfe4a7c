// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/look/dialog_look.h"

#include <QString>
#include <array>
#include <string>

class QLineEdit;
class QPushButton;

namespace marloven {

// Asks how many players take part in a network game, and on which socket.
//
// The caller puts the stored socket in with SetSocketText and shows the dialog with
// exec(). Accepted means a count button closed it: then PlayerCount() (2 to 8) and
// SocketText() hold the choice. Rejected (Cancel, Escape, the title bar) means the
// caller stores and writes nothing.
class PlayersDialog : public FixedDialog {
    Q_OBJECT
  public:
    static constexpr int kFewestPlayers = 2;
    static constexpr int kMostPlayers = 8;
    // What the socket box lets the player type: digits, and "~" for the default socket.
    static inline const QString kSocketChars = QStringLiteral("1234567890~");

    explicit PlayersDialog(QWidget* parent = nullptr);

    void SetSocketText(const std::string& socket);
    std::string SocketText() const;
    int PlayerCount() const { return playerCount_; }

    // The button for a number of players, 2 to 8.
    QPushButton* CountButton(int players) const {
        return countButtons_.at(players - kFewestPlayers);
    }
    QPushButton* cancelButton = nullptr;
    QLineEdit* socketEdit = nullptr;

  private:
    void ChooseCount(int players);

    std::array<QPushButton*, kMostPlayers - kFewestPlayers + 1> countButtons_{};
    int playerCount_ = kFewestPlayers;
};

} // namespace marloven
