// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "comm/internet_link.h"
#include "meet/lan_games.h"

#include <QHostAddress>
#include <QList>
#include <QObject>
#include <memory>

namespace marloven {

class HostedListing;
class Relay;

// Where a hosting start's announcements go: the listeners' port, and every interface's
// broadcast address and ff02::1 unless `targets` names others (loopback, in the tests).
struct HomeNetworkOptions {
    quint16 port = kLanGamesPort;
    QList<QHostAddress> targets;
};

// A hosted game offered to the others: who hosts it, the kind of start, the players it
// still waits for. It is told to the players on the home network each second, with the
// relay's public port, and listed at the meeting place when the start names one, until no
// player is free or the link fails. It goes with the start.
class GameOffering : public QObject {
    Q_OBJECT
  public:
    GameOffering(const LanGame& game, const Relay& relay, const HomeNetworkOptions& options,
                 QObject* parent = nullptr);
    ~GameOffering() override;
    bool Announcing() const { return announcer_ != nullptr; }
    // Lists the game at the meeting place too; with its code when it is for everyone.
    void ListAt(const LinkAddress& meetingPlace, bool forEveryone, const QString& code);

  private:
    void TakeOff();

    LanGame game_;
    std::unique_ptr<LanAnnouncer> announcer_;
    std::unique_ptr<HostedListing> listing_;
};

// The offer of a start that hosts (a modem answering, the cable's or the network's host),
// owned by `parent`; nothing for any other start.
GameOffering* OfferHostedGame(const InternetLink& link, const Relay& relay, QObject* parent,
                              const HomeNetworkOptions& options = {});

} // namespace marloven
