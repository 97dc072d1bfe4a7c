// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/launch.h"

#include <QJsonObject>
#include <QString>
#include <optional>

namespace marloven {

inline constexpr int kMostHostNameLength = 40;

// What a hosting player offers, as the games list and the home network show it.
struct GameOffer {
    QString hostName;
    // "modem", "cable" or "ipx".
    QString start;
    int playersWanted = 2;
    int playersFree = 1;
};

// The kind of start a comm-driver start hosts or joins: "modem" for the modem's call,
// "cable" for the null-modem cable, "ipx" for the network; empty for the others.
QString OfferedStart(LaunchMode mode);

// "1 of 2 free", or "full".
QString PlacesText(const GameOffer& offer);

QJsonObject OfferJson(const GameOffer& offer);
// Nothing when a field is missing or out of bounds: what is heard comes from anyone.
std::optional<GameOffer> ReadOffer(const QJsonObject& json);

} // namespace marloven
