// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace marloven {

// The highest port there is, for TCP and UDP alike.
inline constexpr int kHighestPort = 65535;
// The meeting place's usual ports: plain MQTT, and MQTT over TLS, which is taken to mean
// the broker shows a certificate for its name that the system's authorities vouch for.
inline constexpr int kMeetingPlacePort = 1883;
inline constexpr int kMeetingPlaceTlsPort = 8883;

// The ports a player may host on, from here to kHighestPort: the launcher binds them
// without privileges, on every system. The port box, the check before a start and its
// message all use these.
inline constexpr int kLowestHostingPort = 1024;

bool IsHostingPort(int port);

// Why a port cannot be hosted on, naming it and what may be chosen; nothing when it can.
std::optional<std::string> HostingPortRefusal(int port);

// The other player's machine as the player wrote it.
struct LinkAddress {
    // A host name, a dotted IPv4 address in plain decimal ("010.1.1.1" becomes
    // "10.1.1.1", as the player means it and not as octal), or an IPv6 address
    // without its brackets.
    std::string host;
    int port = 0;
    bool ipv6 = false;

    bool operator==(const LinkAddress&) const = default;
};

// Reads "name", "name:port", "192.0.2.7:2323", "[2001:db8::7]:2323" or "[2001:db8::7]";
// without a port, `defaultPort` is taken. Nothing for any other text.
std::optional<LinkAddress> ParseLinkAddress(std::string_view text, int defaultPort);
// What the player is told when ParseLinkAddress refuses `text`.
std::string LinkAddressRefusal(std::string_view text);

// The address as the player writes it: "name:port", "192.0.2.7:2323",
// "[2001:db8::7]:2323".
std::string ShowLinkAddress(const LinkAddress& address);
// Its host alone as the player writes it, which ParseLinkAddress reads back: "name",
// "192.0.2.7", "[2001:db8::7]".
std::string ShowLinkHost(const LinkAddress& address);

// The only address DOSBox reaches when the launcher carries the link: the launcher's
// own end on this machine.
inline constexpr const char* kLauncherEndAddress = "127.0.0.1";

// What DOSBox's modem dials when the launcher places the call: the launcher's local end
// ("127.0.0.1:PORT"), which the driver dials after its Dial Out text.
std::string LauncherDialNumber(int localPort);

} // namespace marloven
