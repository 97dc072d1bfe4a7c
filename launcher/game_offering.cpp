// SPDX-License-Identifier: GPL-3.0-or-later
#include "launcher/game_offering.h"

#include "link/relay.h"
#include "qt_text/text_conversions.h"
#ifdef MARLOVEN_MEETING_PLACE
#include "meet/hosted_listing.h"
#endif

#include <algorithm>

namespace marloven {

#ifndef MARLOVEN_MEETING_PLACE
// A build without the meeting place lists nothing there.
class HostedListing : public QObject {};
#endif

GameOffering::GameOffering(const LanGame& game, const Relay& relay,
                           const HomeNetworkOptions& options, QObject* parent)
    : QObject(parent), game_(game),
      announcer_(std::make_unique<LanAnnouncer>(game, options.port, options.targets)) {
    // Each player who arrives leaves one place fewer, and a full game is no longer offered.
    connect(&relay, &Relay::PlayersLinked, this, [this](int count) {
        game_.playersFree = std::max(0, game_.playersWanted - 1 - count);
        if (game_.playersFree == 0) {
            TakeOff();
            return;
        }
        if (announcer_) {
            announcer_->Update(game_);
        }
#ifdef MARLOVEN_MEETING_PLACE
        if (listing_) {
            listing_->SetPlayersFree(game_.playersFree);
        }
#endif
    });
    connect(&relay, &Relay::Failed, this, &GameOffering::TakeOff);
}

GameOffering::~GameOffering() = default;

void GameOffering::TakeOff() {
    announcer_.reset();
    listing_.reset();
}

void GameOffering::ListAt(const LinkAddress& meetingPlace, bool forEveryone, const QString& code) {
#ifdef MARLOVEN_MEETING_PLACE
    GameListing listing;
    static_cast<GameOffer&>(listing) = game_;
    listing.open = forEveryone;
    listing.code = forEveryone ? code : QString();
    listing_ = std::make_unique<HostedListing>(meetingPlace, listing);
#else
    (void)meetingPlace, (void)forEveryone, (void)code;
#endif
}

GameOffering* OfferHostedGame(const InternetLink& link, const Relay& relay, QObject* parent,
                              const HomeNetworkOptions& options) {
    const QString start = OfferedStart(link.mode);
    if (start.isEmpty() || link.mode == LaunchMode::Dial || !relay.Hosting() ||
        relay.PublicPort() <= 0) {
        return nullptr;
    }
    LanGame game;
    // The player's name as the game shows it; a player who cleared it is still someone.
    game.hostName = FromBytes(link.hostName).trimmed().left(kMostHostNameLength);
    if (game.hostName.isEmpty()) {
        game.hostName = QStringLiteral("A player");
    }
    game.start = start;
    game.playersWanted = link.mode == LaunchMode::Network ? link.playersWanted : 2;
    game.playersFree = game.playersWanted - 1;
    game.port = static_cast<quint16>(relay.PublicPort());
    auto* offering = new GameOffering(game, relay, options, parent);
    // A modem's call is placed from the phonebook, never from the list: only the cable's
    // and the network's games are listed.
    if (link.meetingPlace && relay.Code() && link.mode != LaunchMode::Answer) {
        offering->ListAt(*link.meetingPlace, link.listedForEveryone,
                         MessageText(ShowGameCode(*relay.Code())));
    }
    return offering;
}

} // namespace marloven
