// SPDX-License-Identifier: GPL-3.0-or-later
#include "meet/hosted_listing.h"

#include "meet/sealed_box.h"

namespace marloven {

HostedListing::HostedListing(const LinkAddress& meetingPlace, const GameListing& listing,
                             QObject* parent)
    : QObject(parent),
      broker_(QStringLiteral("marloven-host-") + QString::fromLatin1(RandomBytes(8).toHex())),
      publisher_(broker_, SigningKey::Generate()), echo_(broker_), listing_(listing) {
    // The round trip is part of the listing: each new measure goes out with the listing's
    // next sending, not at once, so that a host sends no more for being measured.
    connect(&echo_, &BrokerEcho::Measured, this, [this](int ms) {
        listing_.hostLegMs = ms;
        publisher_.Amend(listing_);
    });
    // Sent once the broker is reached, and again each time it is reached anew.
    Publish();
    broker_.Connect(meetingPlace);
}

HostedListing::~HostedListing() {
    if (broker_.IsConnected()) {
        publisher_.Clear();
    }
    broker_.Disconnect();
}

void HostedListing::SetPlayersFree(int playersFree) {
    listing_.playersFree = playersFree;
    if (playersFree <= 0) {
        publisher_.Clear();
    } else {
        Publish();
    }
}

void HostedListing::Publish() {
    if (listing_.playersFree > 0) {
        publisher_.Publish(listing_);
    }
}

} // namespace marloven
