// SPDX-License-Identifier: GPL-3.0-or-later
#include "meet/meeting_place.h"

namespace marloven {

std::optional<LinkAddress> ParseMeetingPlace(const QString& text) {
    const auto trimmed = text.trimmed().toStdString();
    if (trimmed.empty()) {
        return std::nullopt;
    }
    return ParseLinkAddress(trimmed, kMeetingPlacePort);
}

QString MeetingPlaceRefusal(const QString& text) {
    return QString::fromStdString(LinkAddressRefusal(text.trimmed().toStdString()));
}

} // namespace marloven
