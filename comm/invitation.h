// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "comm/game_code.h"
#include "comm/link_address.h"

#include <optional>
#include <string>
#include <string_view>

// The link a hosting player sends a friend,
// "marloven://join?start=cable&address=...&port=...&code=K7PW-2QXM&meet=...". It names where
// to join, the game's code and the meeting place, nothing else: opening it fills a dialog and
// starts nothing.
namespace marloven {

enum class InvitationStart {
    ModemCall, // DOSBox's modem calls the host ("Dial")
    Cable,     // DOSBox's null-modem cable joins the host ("Already")
    Network,   // DOSBox's IPX tunnel joins the host ("Network")
};

struct Invitation {
    InvitationStart start = InvitationStart::Cable;
    // The host (a name, dotted IPv4 or IPv6) and its port, read once from the link.
    LinkAddress address;
    // The host's game code, which the joining launcher proves; an invitation written
    // without one leaves the player to type it when the host asks.
    std::optional<GameCode> code = std::nullopt;
    // Not in the link: whether the host lets plain DOSBox join, for the line that tells
    // a friend without Marloven what to do.
    bool plainPeersJoin = false;
    // The meeting place the host waits at too, for a friend whose way to the host is shut.
    std::optional<LinkAddress> meetingPlace = std::nullopt;
};

// Links arrive from chat programs and web pages: anything longer is no invitation.
// Room for two of the longest host names, the host's and the meeting place's.
inline constexpr std::size_t kMaxInvitationLength = 600;

struct InvitationParse {
    std::optional<Invitation> invitation;
    std::string refusal; // why the link is no invitation, in the player's words
};

// Whether a command-line argument is meant as an invitation rather than a game directory.
bool LooksLikeInvitation(std::string_view text);

InvitationParse ParseInvitation(std::string_view link);
std::string InvitationLink(const Invitation& invitation);

// The address with the port as a player types it: "[2001:db8::7]:2323" for IPv6.
std::string InvitationAddressAndPort(const Invitation& invitation);

// One line for a friend without Marloven: what to do in plain DOSBox.
std::string InvitationPlainLine(const Invitation& invitation);

} // namespace marloven
