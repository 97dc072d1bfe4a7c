// SPDX-License-Identifier: GPL-3.0-or-later
#include "meet/game_offer.h"

#include "comm/internet_link.h"

namespace marloven {

QString OfferedStart(LaunchMode mode) {
    switch (mode) {
    case LaunchMode::Answer:
    case LaunchMode::Dial:
        return QStringLiteral("modem");
    case LaunchMode::AlreadyConnected:
        return QStringLiteral("cable");
    case LaunchMode::Network:
        return QStringLiteral("ipx");
    case LaunchMode::SinglePlayer:
        break;
    }
    return {};
}

QString PlacesText(const GameOffer& offer) {
    return offer.playersFree <= 0
               ? QStringLiteral("full")
               : QStringLiteral("%1 of %2 free").arg(offer.playersFree).arg(offer.playersWanted);
}

QJsonObject OfferJson(const GameOffer& offer) {
    return {{"name", offer.hostName.left(kMostHostNameLength)},
            {"start", offer.start},
            {"wanted", offer.playersWanted},
            {"free", offer.playersFree}};
}

std::optional<GameOffer> ReadOffer(const QJsonObject& json) {
    GameOffer offer;
    offer.hostName = json.value("name").toString();
    offer.start = json.value("start").toString();
    offer.playersWanted = json.value("wanted").toInt();
    offer.playersFree = json.value("free").toInt();
    const bool knownStart = offer.start == QLatin1String("modem") ||
                            offer.start == QLatin1String("cable") ||
                            offer.start == QLatin1String("ipx");
    if (offer.hostName.isEmpty() || offer.hostName.size() > kMostHostNameLength || !knownStart ||
        offer.playersWanted < 2 || offer.playersWanted > kMostNetworkPlayers ||
        offer.playersFree < 0 || offer.playersFree >= offer.playersWanted) {
        return std::nullopt;
    }
    return offer;
}

} // namespace marloven
