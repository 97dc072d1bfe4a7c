// SPDX-License-Identifier: GPL-3.0-or-later
#include "launcher/home_offer.h"

#include "link/relay.h"
#include "qt_text/text_conversions.h"

#include <algorithm>

namespace marloven {

HomeOffer::HomeOffer(const LanGame& game, const Relay& relay, const HomeNetworkOptions& options,
                     QObject* parent)
    : QObject(parent), game_(game),
      announcer_(std::make_unique<LanAnnouncer>(game, options.port, options.targets)) {
    // The relay says only when the first player arrives: from then on the game waits for
    // one player fewer, and a full game is no longer offered.
    connect(&relay, &Relay::LinkUp, this, [this] {
        game_.playersFree = std::max(0, game_.playersFree - 1);
        if (game_.playersFree == 0) {
            announcer_.reset();
        } else if (announcer_) {
            announcer_->Update(game_);
        }
    });
    connect(&relay, &Relay::Failed, this, [this] { announcer_.reset(); });
}

HomeOffer::~HomeOffer() = default;

HomeOffer* OfferOnHomeNetwork(const InternetLink& link, const Relay& relay, QObject* parent,
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
    return new HomeOffer(game, relay, options, parent);
}

} // namespace marloven
