// SPDX-License-Identifier: GPL-3.0-or-later
#include "os/router_datagrams.h"

#include <winsock2.h>
#include <ws2tcpip.h>
// After winsock2.h, which it needs.
#include <iphlpapi.h>

namespace marloven {

// The route the system would take to anywhere: its next hop is the home router.
std::optional<std::string> DefaultGatewayIpv4() {
    MIB_IPFORWARDROW route{};
    if (GetBestRoute(0, 0, &route) != NO_ERROR || route.dwForwardNextHop == 0) {
        return std::nullopt;
    }
    in_addr address{};
    address.s_addr = route.dwForwardNextHop;
    char text[INET_ADDRSTRLEN] = {};
    if (inet_ntop(AF_INET, &address, text, sizeof text) == nullptr) {
        return std::nullopt;
    }
    return std::string(text);
}

RouterDatagrams::RouterDatagrams(const std::string& ipv4, int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<u_short>(port));
    if (inet_pton(AF_INET, ipv4.c_str(), &address.sin_addr) != 1) {
        return;
    }
    const SOCKET handle = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (handle == INVALID_SOCKET) {
        return;
    }
    // Connected, so that only the router's answers arrive, and a port nobody holds
    // there comes back as refused.
    if (connect(handle, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        closesocket(handle);
        return;
    }
    socket_ = static_cast<std::uintptr_t>(handle);
    open_ = true;
}

RouterDatagrams::~RouterDatagrams() {
    if (open_) {
        closesocket(static_cast<SOCKET>(socket_));
    }
}

bool RouterDatagrams::Send(const std::vector<std::uint8_t>& bytes) {
    return open_ && send(static_cast<SOCKET>(socket_), reinterpret_cast<const char*>(bytes.data()),
                         static_cast<int>(bytes.size()), 0) == static_cast<int>(bytes.size());
}

std::optional<std::vector<std::uint8_t>> RouterDatagrams::Receive(std::chrono::milliseconds wait) {
    WSAPOLLFD entry{static_cast<SOCKET>(socket_), POLLRDNORM, 0};
    if (!open_ || WSAPoll(&entry, 1, static_cast<INT>(wait.count())) != 1) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes(64);
    const int size = recv(static_cast<SOCKET>(socket_), reinterpret_cast<char*>(bytes.data()),
                          static_cast<int>(bytes.size()), 0);
    if (size < 0) {
        // What Windows says of a datagram that the port there turned away.
        refused_ = refused_ || WSAGetLastError() == WSAECONNRESET;
        return std::nullopt;
    }
    bytes.resize(static_cast<std::size_t>(size));
    return bytes;
}

} // namespace marloven
