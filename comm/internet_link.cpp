// SPDX-License-Identifier: GPL-3.0-or-later
#include "comm/internet_link.h"

#include <algorithm>
#include <charconv>

namespace marloven {

namespace {

constexpr int kDosboxSerialPorts = 4;

bool UsesSerialPort(LaunchMode mode) {
    return mode != LaunchMode::Network;
}

bool Joins(const InternetLink& link) {
    return (link.mode == LaunchMode::AlreadyConnected || link.mode == LaunchMode::Network) &&
           link.side == LinkSide::Join;
}

// The dialling side does not listen: a modem with port 0 takes no calls.
int ListenPort(const InternetLink& link) {
    return link.mode == LaunchMode::Dial ? 0 : link.port;
}

std::string SerialValue(const InternetLink& link) {
    const std::string port = std::to_string(link.port);
    switch (link.mode) {
    case LaunchMode::Dial:
    case LaunchMode::Answer:
        return "modem listenport:" + std::to_string(ListenPort(link));
    case LaunchMode::AlreadyConnected:
        return Joins(link) ? "nullmodem server:" + link.hostAddress + " port:" + port
                           : "nullmodem port:" + port;
    case LaunchMode::SinglePlayer:
    case LaunchMode::Network:
        break;
    }
    return {};
}

} // namespace

std::optional<std::string> ComPortRefusal(LaunchMode mode, int comPortIndex) {
    if (UsesSerialPort(mode) && (comPortIndex < 0 || comPortIndex >= kDosboxSerialPorts)) {
        return std::string("DOSBox has the serial ports COM1 to COM4 only. Choose one of them "
                           "as the COM port on the Modem Setup page, then start again.");
    }
    return std::nullopt;
}

std::optional<std::string> InternetLinkRefusal(const InternetLink& link) {
    if (auto refusal = ComPortRefusal(link.mode, link.comPortIndex)) {
        return refusal;
    }
    if (LinkReaches(link)) {
        // A dial's number is picked in the phonebook at the start itself.
        const bool numberToCome = link.mode == LaunchMode::Dial && link.hostAddress.empty();
        if (!numberToCome && !RemoteOf(link)) {
            return LinkAddressRefusal(link.hostAddress);
        }
        return std::nullopt;
    }
    return HostingPortRefusal(link.port);
}

bool LinkReaches(const InternetLink& link) {
    return link.mode == LaunchMode::Dial || Joins(link);
}

std::optional<LinkAddress> RemoteOf(const InternetLink& link) {
    return ParseLinkAddress(link.hostAddress,
                            link.mode == LaunchMode::Dial ? kDosboxModemDialPort : link.port);
}

std::string DescribeCarriedLink(const InternetLink& link) {
    const char* transport = link.mode == LaunchMode::Network ? "UDP" : "TCP";
    if (!LinkReaches(link)) {
        return std::string("the launcher waits on ") + transport + " port " +
               std::to_string(link.port) + " and hands each player on to DOSBox on " +
               kLauncherEndAddress + " (at a free port of its own)";
    }
    const auto remote = RemoteOf(link);
    const std::string where = remote                     ? ShowLinkAddress(*remote)
                              : link.hostAddress.empty() ? "the number picked in the phonebook"
                                                         : link.hostAddress;
    return std::string("DOSBox reaches the launcher on ") + kLauncherEndAddress +
           (link.mode == LaunchMode::Dial ? ", and the launcher calls "
                                          : ", and the launcher joins ") +
           where + " (" + transport + ")";
}

InternetLink LinkThroughLauncher(const InternetLink& link, int launcherPort) {
    InternetLink local = link;
    local.port = launcherPort;
    if (Joins(link)) {
        local.hostAddress = kLauncherEndAddress;
    }
    return local;
}

void AddInternetLink(DosboxStart& start, const InternetLink& link) {
    if (link.mode == LaunchMode::Network) {
        start.settings.push_back({"ipx", "ipx", "true"});
        const std::string port = std::to_string(link.port);
        start.commandsBeforeProgram.push_back(Joins(link) ? "ipxnet connect " + link.hostAddress +
                                                                ' ' + port
                                                          : "ipxnet startserver " + port);
        return;
    }
    start.settings.push_back(
        {"serial", "serial" + std::to_string(link.comPortIndex + 1), SerialValue(link)});
}

std::pair<std::string, int> SplitHostAndPort(std::string_view text, int port) {
    const auto colon = text.rfind(':');
    if (colon == std::string_view::npos) {
        return {std::string(text), port};
    }
    const std::string_view digits = text.substr(colon + 1);
    int given = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), given);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size()) {
        return {std::string(text), port}; // left for the address check to refuse
    }
    return {std::string(text.substr(0, colon)), given};
}

std::vector<std::string> AddressesToTell(const std::vector<std::string>& ipv4Addresses, int port) {
    const std::string suffix = ':' + std::to_string(port);
    std::vector<std::string> reachable;
    std::vector<std::string> loopback;
    for (const std::string& address : ipv4Addresses) {
        auto& list = address.rfind("127.", 0) == 0 ? loopback : reachable;
        list.push_back(address + suffix);
    }
    return reachable.empty() ? loopback : reachable;
}

} // namespace marloven
