// SPDX-License-Identifier: GPL-3.0-or-later
#include "os/capped_exchange.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <memory>

namespace marloven {

namespace {

using Clock = std::chrono::steady_clock;

// Waits for the socket to be ready for `events`, until the deadline.
bool Ready(SOCKET handle, short events, Clock::time_point deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) {
        return false;
    }
    WSAPOLLFD one{handle, events, 0};
    return WSAPoll(&one, 1, static_cast<INT>(left)) > 0;
}

std::string LocalAddress(SOCKET handle) {
    sockaddr_storage local{};
    int size = sizeof local;
    char text[INET6_ADDRSTRLEN] = {};
    if (getsockname(handle, reinterpret_cast<sockaddr*>(&local), &size) != 0) {
        return {};
    }
    const void* address =
        local.ss_family == AF_INET6
            ? static_cast<const void*>(&reinterpret_cast<const sockaddr_in6*>(&local)->sin6_addr)
            : &reinterpret_cast<const sockaddr_in*>(&local)->sin_addr;
    return inet_ntop(local.ss_family, address, text, sizeof text) != nullptr ? text : "";
}

} // namespace

std::optional<CappedReply> ExchangeCapped(const std::string& host, int port,
                                          const std::string& request, std::size_t maxBytes,
                                          Clock::time_point deadline) {
    const SocketLibraryUse library;
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICHOST | AI_NUMERICSERV;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0) {
        return std::nullopt;
    }
    const std::unique_ptr<addrinfo, void(WSAAPI*)(addrinfo*)> foundGuard(found, freeaddrinfo);
    const SOCKET handle = socket(found->ai_family, SOCK_STREAM, IPPROTO_TCP);
    if (handle == INVALID_SOCKET) {
        return std::nullopt;
    }
    const std::unique_ptr<const SOCKET, void (*)(const SOCKET*)> handleGuard(
        &handle, [](const SOCKET* open) { closesocket(*open); });
    u_long nonBlocking = 1;
    if (ioctlsocket(handle, FIONBIO, &nonBlocking) != 0) {
        return std::nullopt;
    }
    if (connect(handle, found->ai_addr, static_cast<int>(found->ai_addrlen)) != 0 &&
        (WSAGetLastError() != WSAEWOULDBLOCK || !Ready(handle, POLLWRNORM, deadline))) {
        return std::nullopt;
    }
    int error = 0;
    int errorSize = sizeof error;
    if (getsockopt(handle, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &errorSize) !=
            0 ||
        error != 0) {
        return std::nullopt;
    }
    for (std::size_t sent = 0; sent < request.size();) {
        const int wrote =
            send(handle, request.data() + sent, static_cast<int>(request.size() - sent), 0);
        if (wrote > 0) {
            sent += static_cast<std::size_t>(wrote);
        } else if (WSAGetLastError() != WSAEWOULDBLOCK || !Ready(handle, POLLWRNORM, deadline)) {
            return std::nullopt;
        }
    }
    CappedReply reply{{}, LocalAddress(handle)};
    char buffer[8192];
    for (;;) {
        const int got = recv(handle, buffer, sizeof buffer, 0);
        if (got == 0) {
            return reply;
        }
        if (got > 0) {
            if (reply.bytes.size() + static_cast<std::size_t>(got) > maxBytes) {
                return std::nullopt;
            }
            reply.bytes.append(buffer, static_cast<std::size_t>(got));
        } else if (WSAGetLastError() != WSAEWOULDBLOCK || !Ready(handle, POLLRDNORM, deadline)) {
            return std::nullopt;
        }
    }
}

} // namespace marloven
