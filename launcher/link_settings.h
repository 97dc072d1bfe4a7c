// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "comm/internet_link.h"

#include <optional>
#include <string_view>

namespace marloven {

class LauncherSettings;

// What the player chose for a link through DOSBox the last time, kept with the
// launcher's own settings: the answering port; for the null-modem cable and for the
// network, hosting or joining, the host's address and the port; whether a hosted modem or
// cable game lets players without Marloven join. What was never set
// reads as hosting on the default port. Only the choice is filled in, and the meeting
// place from the options: the COM port comes from the modem page.
InternetLink LoadLinkChoice(const LauncherSettings& settings, LaunchMode mode);
// The meeting place the options name; none when they name none, or nothing readable.
std::optional<LinkAddress> MeetingPlaceOf(const LauncherSettings& settings);
void SaveLinkChoice(LauncherSettings& settings, const InternetLink& link);

// The link that the named comm-driver start ("dial", "answer", "connected",
// "network") would carry through DOSBox with the player's last choice and the given
// COM port position; nothing for the other starts.
std::optional<InternetLink> RememberedLink(const LauncherSettings& settings,
                                           std::string_view startName, int comPortIndex);

} // namespace marloven
