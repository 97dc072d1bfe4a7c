// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "comm/link_address.h"
#include "meet/broker_client.h"
#include "meet/broker_echo.h"
#include "meet/game_listing.h"

#include <QObject>

// A hosted game on the meeting place's list while its start lasts. It has a connection of
// its own, apart from the link's: the broker's last will for it takes the game off the
// list the moment the launcher is gone, however the link fares.
namespace marloven {

class HostedListing : public QObject {
    Q_OBJECT
  public:
    HostedListing(const LinkAddress& meetingPlace, const GameListing& listing,
                  QObject* parent = nullptr);
    ~HostedListing() override;
    // The players the game still waits for; at none it leaves the list.
    void SetPlayersFree(int playersFree);

  private:
    void Publish();

    BrokerClient broker_;
    ListingPublisher publisher_;
    BrokerEcho echo_;
    GameListing listing_;
};

} // namespace marloven
