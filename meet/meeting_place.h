// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "comm/link_address.h"

#include <QString>
#include <optional>

// Where the meeting place is, as the player names it in the options. Only Qt Core: the
// options take it on every system, with or without the client that reaches it.
namespace marloven {

// Reads the Options' "host:port" (the port is 1883 when left out); nothing for any other
// text, an empty one included.
std::optional<LinkAddress> ParseMeetingPlace(const QString& text);
// What the player is told when ParseMeetingPlace refuses a text that is not empty.
QString MeetingPlaceRefusal(const QString& text);

} // namespace marloven
