// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "comm/commit_data.h"
#include "core/dosbox_start.h"

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace marloven {

// Which end of a link this machine is: the host waits, the others join it.
enum class LinkSide { Host, Join };

// The ports offered first. Above 1023, so that DOSBox may listen on them without
// privileges (its modem's own default, 23, needs them).
inline constexpr int kDefaultModemListenPort = 2323;
inline constexpr int kDefaultNullModemPort = 2324;
inline constexpr int kDefaultIpxPort = 2130;
inline constexpr int kHighestPort = 65535;

// How a comm-driver start reaches the other players when DOSBox runs the driver: its
// emulated modem places or answers the call, its null-modem cable is the link that is
// already connected, its IPX tunnel is the network.
struct InternetLink {
    LaunchMode mode = LaunchMode::Answer;
    // The modem page's ComPort position, as COMMIT.DAT's COMPORT minus one: 0 to 3 are
    // COM1 to COM4, the only ports DOSBox has.
    int comPortIndex = -1;
    // Already connected and network: hosting or joining.
    LinkSide side = LinkSide::Host;
    // Joining: the host's name or IPv4 address.
    std::string hostAddress;
    // Answering and hosting: the port to listen on. Joining: the host's port.
    int port = 0;
};

// Why DOSBox cannot carry the link, in the player's words; nothing when it can.
std::optional<std::string> InternetLinkRefusal(const InternetLink& link);
// The first of its checks, which needs nothing but the modem page: the COM port.
std::optional<std::string> ComPortRefusal(LaunchMode mode, int comPortIndex);

// Adds the link's DOSBox settings and the commands that must run before the driver.
void AddInternetLink(DosboxStart& start, const InternetLink& link);

// A host name or IPv4 address as DOSBox takes it in its configuration and on its
// command line: letters, digits, dots and hyphens.
bool IsHostAddress(std::string_view text);

// The host's address as the player gave it, which may end in ":port" as the host's
// own list shows it: the address alone, and that port (else the one given).
std::pair<std::string, int> SplitHostAndPort(std::string_view text, int port);

// What a phonebook number may hold where DOSBox dials: the phone-number characters,
// and those of an internet address ("host:port").
inline constexpr std::string_view kInternetNumberChars =
    "1234567890()- .:abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";

// What an answering player tells the caller: each of this machine's IPv4 addresses
// that another machine can reach, with the port ("192.168.1.20:2323"). Loopback
// addresses are left out unless there is nothing else.
std::vector<std::string> AddressesToTell(const std::vector<std::string>& ipv4Addresses, int port);

} // namespace marloven
