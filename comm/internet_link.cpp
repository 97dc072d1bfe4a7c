// SPDX-License-Identifier: GPL-3.0-or-later
#include "comm/internet_link.h"

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
    return link.mode == LaunchMode::Dial ? 0 : link.address.port;
}

std::string SerialValue(const InternetLink& link) {
    const std::string port = std::to_string(link.address.port);
    switch (link.mode) {
    case LaunchMode::Dial:
    case LaunchMode::Answer:
        return "modem listenport:" + std::to_string(ListenPort(link));
    case LaunchMode::AlreadyConnected:
        return Joins(link) ? "nullmodem server:" + link.address.host + " port:" + port
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
    if (!LinkReaches(link)) {
        return HostingPortRefusal(link.address.port);
    }
    // A dial's number is picked in the phonebook at the start itself; a game chosen from
    // the meeting place's list is found there by its code.
    if (link.mode != LaunchMode::Dial && link.address.host.empty() && !link.meetingPlace) {
        return std::string("Joining needs the host's address: write it in the box under "
                           "\"Join the host at\", as the host tells it.");
    }
    return std::nullopt;
}

bool LinkReaches(const InternetLink& link) {
    return link.mode == LaunchMode::Dial || Joins(link);
}

std::string DescribeCarriedLink(const InternetLink& link) {
    const char* transport = link.mode == LaunchMode::Network ? "UDP" : "TCP";
    if (!LinkReaches(link)) {
        return std::string("the launcher waits on ") + transport + " port " +
               std::to_string(link.address.port) + " and hands each player on to DOSBox on " +
               kLauncherEndAddress + " (at a free port of its own)";
    }
    const std::string where = !link.address.host.empty()      ? ShowLinkAddress(link.address)
                              : link.mode == LaunchMode::Dial ? "the number picked in the phonebook"
                                                              : "the host";
    return std::string("DOSBox reaches the launcher on ") + kLauncherEndAddress +
           (link.mode == LaunchMode::Dial ? ", and the launcher calls "
                                          : ", and the launcher joins ") +
           where + " (" + transport + ")";
}

bool DosboxListens(const InternetLink& link) {
    return link.mode == LaunchMode::Answer;
}

InternetLink LinkThroughLauncher(const InternetLink& link, int launcherPort) {
    InternetLink local = link;
    local.address.port = launcherPort;
    // DOSBox 0.74 binds what it listens on to every address of the machine, where any
    // machine of the home network would reach it past the launcher. So wherever the
    // driver allows, DOSBox reaches the launcher on 127.0.0.1 instead: the hosting
    // cable and tunnel are joins towards the launcher's end, which carries the players.
    // What DOSBox still binds (the answering modem's socket, the tunnel's own) the
    // program runner keeps to 127.0.0.1 (CommandLine::loopbackOnly).
    if (!DosboxListens(link) && local.mode != LaunchMode::Dial) {
        local.side = LinkSide::Join;
    }
    if (Joins(local)) {
        local.address.host = kLauncherEndAddress;
        local.address.ipv6 = false;
    }
    return local;
}

void AddInternetLink(DosboxStart& start, const InternetLink& link) {
    if (link.mode == LaunchMode::Network) {
        start.settings.push_back({"ipx", "ipx", "true"});
        const std::string port = std::to_string(link.address.port);
        start.commandsBeforeProgram.push_back(Joins(link) ? "ipxnet connect " + link.address.host +
                                                                ' ' + port
                                                          : "ipxnet startserver " + port);
        return;
    }
    start.settings.push_back(
        {"serial", "serial" + std::to_string(link.comPortIndex + 1), SerialValue(link)});
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
