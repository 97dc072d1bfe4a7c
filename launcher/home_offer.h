// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "comm/internet_link.h"
#include "meet/lan_games.h"

#include <QHostAddress>
#include <QList>
#include <QObject>
#include <memory>

namespace marloven {

class Relay;

// Where a hosting start's announcements go: the listeners' port, and every interface's
// broadcast address and ff02::1 unless `targets` names others (loopback, in the tests).
struct HomeNetworkOptions {
    quint16 port = kLanGamesPort;
    QList<QHostAddress> targets;
};

// A hosted game told to the players on the home network: who hosts it, the kind of start,
// the players it still waits for and the relay's public port, each second until no
// player is free or the link fails. It goes with the start.
class HomeOffer : public QObject {
    Q_OBJECT
  public:
    HomeOffer(const LanGame& game, const Relay& relay, const HomeNetworkOptions& options,
              QObject* parent = nullptr);
    ~HomeOffer() override;
    bool Announcing() const { return announcer_ != nullptr; }

  private:
    LanGame game_;
    std::unique_ptr<LanAnnouncer> announcer_;
};

// The offer of a start that hosts (a modem answering, the cable's or the network's host),
// owned by `parent`; nothing for any other start.
HomeOffer* OfferOnHomeNetwork(const InternetLink& link, const Relay& relay, QObject* parent,
                              const HomeNetworkOptions& options = {});

} // namespace marloven
