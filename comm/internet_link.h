// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "comm/commit_data.h"
#include "comm/game_code.h"
#include "comm/link_address.h"
#include "core/dosbox_start.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace marloven {

// Which end of a link this machine is: the host waits, the others join it.
enum class LinkSide { Host, Join };

// The ports offered first. Above 1023, so that DOSBox may listen on them without
// privileges (its modem's own default, 23, needs them).
inline constexpr int kDefaultModemListenPort = 2323;
inline constexpr int kDefaultNullModemPort = 2324;
inline constexpr int kDefaultIpxPort = 2130;
// The most players of a network game, the host included.
inline constexpr int kMostNetworkPlayers = 8;

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
    // Joining: the host and its port, read once from what the player typed or the
    // invitation named. Dialling: the number called, read as an address once it is
    // picked in the phonebook (no host before). Answering and hosting: only the port,
    // the one to listen on.
    LinkAddress address;
    // Joining and dialling: the host's game code, when an invitation gave it; without it
    // the player is asked when the host asks for it.
    std::optional<GameCode> code = std::nullopt;
    // Hosting: players without Marloven (plain DOSBox, who cannot prove the code) may
    // join, and so may anyone else who finds the port.
    bool plainPeersJoin = false;
    // Hosting: what the players on the home network are told of the game: who hosts it
    // (the player's name, in the game's bytes) and how many players it wants, the host
    // among them.
    std::string hostName = {};
    int playersWanted = 2;
    // The meeting place the start goes through when no direct way is found, from the
    // options or the invitation; none: nothing leaves for anywhere but the other players.
    std::optional<LinkAddress> meetingPlace = std::nullopt;
    // Hosting the cable or the network at a meeting place: the game is listed there with
    // its code, for everyone to join; else it is listed for the invited, who have the code.
    bool listedForEveryone = false;
};

// The port a modem call goes to when the number names none: DOSBox's modem's own.
inline constexpr int kDosboxModemDialPort = 23;

// Why the link cannot be made, in the player's words; nothing when it can: a COM port
// DOSBox lacks, a hosting port outside 1024 to 65535, no host to join.
std::optional<std::string> InternetLinkRefusal(const InternetLink& link);
// Whether this machine reaches the other (dial, join) rather than waits (answer, host).
bool LinkReaches(const InternetLink& link);
// How the launcher carries the link, for the player to see before the start.
std::string DescribeCarriedLink(const InternetLink& link);
// Whether DOSBox's own end listens when the launcher carries the link: only the modem
// that answers calls, as DOSBox's modem cannot reach out to take one.
bool DosboxListens(const InternetLink& link);
// The link as DOSBox is given it when the launcher carries it: only the launcher's end
// on this machine, at launcherPort; DOSBox reaches it there unless DosboxListens.
InternetLink LinkThroughLauncher(const InternetLink& link, int launcherPort);
// The first of its checks, which needs nothing but the modem page: the COM port.
std::optional<std::string> ComPortRefusal(LaunchMode mode, int comPortIndex);

// Adds the link's DOSBox settings and the commands that must run before the driver.
void AddInternetLink(DosboxStart& start, const InternetLink& link);

// What a phonebook number may hold where DOSBox dials: the phone-number characters,
// and those of an internet address ("host:port").
inline constexpr std::string_view kInternetNumberChars =
    "1234567890()- .:[]abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";

// What an answering player tells the caller: each of this machine's IPv4 addresses
// that another machine can reach, with the port ("192.168.1.20:2323"). Loopback
// addresses are left out unless there is nothing else.
std::vector<std::string> AddressesToTell(const std::vector<std::string>& ipv4Addresses, int port);

} // namespace marloven
