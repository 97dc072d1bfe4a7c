// SPDX-License-Identifier: GPL-3.0-or-later
#include "os/router_datagrams.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <netinet/in.h>
#include <poll.h>
#include <sstream>
#include <sys/socket.h>
#include <unistd.h>

namespace marloven {

// The kernel's routing table, one route a line after a heading; the default route has
// the destination 0 and the gateway flag, its gateway printed as the address's bytes.
std::optional<std::string> DefaultGatewayIpv4() {
    std::ifstream routes("/proc/net/route");
    std::string line;
    std::getline(routes, line);
    while (std::getline(routes, line)) {
        std::istringstream fields(line);
        std::string name, destination, gateway, flags;
        fields >> name >> destination >> gateway >> flags;
        constexpr unsigned long kUp = 0x1, kGateway = 0x2;
        const unsigned long flagBits = std::strtoul(flags.c_str(), nullptr, 16);
        if (destination != "00000000" || (flagBits & (kUp | kGateway)) != (kUp | kGateway)) {
            continue;
        }
        in_addr address{};
        address.s_addr = static_cast<in_addr_t>(std::strtoul(gateway.c_str(), nullptr, 16));
        char text[INET_ADDRSTRLEN] = {};
        if (address.s_addr != 0 && inet_ntop(AF_INET, &address, text, sizeof text) != nullptr) {
            return std::string(text);
        }
    }
    return std::nullopt;
}

RouterDatagrams::RouterDatagrams(const std::string& ipv4, int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    if (inet_pton(AF_INET, ipv4.c_str(), &address.sin_addr) != 1) {
        return;
    }
    const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return;
    }
    // Connected, so that only the router's answers arrive, and a port nobody holds
    // there comes back as refused.
    if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return;
    }
    socket_ = static_cast<std::uintptr_t>(fd);
    open_ = true;
}

RouterDatagrams::~RouterDatagrams() {
    if (open_) {
        close(static_cast<int>(socket_));
    }
}

bool RouterDatagrams::Send(const std::vector<std::uint8_t>& bytes) {
    return open_ && send(static_cast<int>(socket_), bytes.data(), bytes.size(), MSG_NOSIGNAL) ==
                        static_cast<ssize_t>(bytes.size());
}

std::optional<std::vector<std::uint8_t>> RouterDatagrams::Receive(std::chrono::milliseconds wait) {
    pollfd entry{static_cast<int>(socket_), POLLIN, 0};
    if (!open_ || poll(&entry, 1, static_cast<int>(wait.count())) != 1) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes(64);
    const ssize_t size = recv(static_cast<int>(socket_), bytes.data(), bytes.size(), 0);
    if (size < 0) {
        refused_ = refused_ || errno == ECONNREFUSED;
        return std::nullopt;
    }
    bytes.resize(static_cast<std::size_t>(size));
    return bytes;
}

} // namespace marloven
