// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "comm/internet_link.h"

#include <QString>
#include <optional>

namespace marloven {

class LauncherSettings;
class LinkDialog;
class Prompter;

// What a comm-driver start that DOSBox runs does before it writes COMMIT.DAT. A dial
// needs no question (its number comes from the phonebook); answering shows the
// addresses to tell the caller; the null-modem cable and the network ask whether to
// host or join. The choice is remembered for next time. A COM port that DOSBox does
// not have, or a host address that it cannot take, is reported to the player, and
// nothing is returned, as when the player cancels: the start stops.
std::optional<InternetLink> AskInternetLink(Prompter& prompter, LauncherSettings& settings,
                                            LinkDialog& dialog, LaunchMode mode, int comPortIndex);

// Asks for the game code of the host at `host` until the player types one or cancels.
std::optional<GameCode> AskGameCode(Prompter& prompter, const QString& host);

} // namespace marloven
