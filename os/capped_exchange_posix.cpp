// SPDX-License-Identifier: GPL-3.0-or-later
#include "os/capped_exchange.h"

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace marloven {

namespace {

using Clock = std::chrono::steady_clock;

// Waits for the socket to be ready for `events`, until the deadline.
bool Ready(int fd, short events, Clock::time_point deadline) {
    for (;;) {
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            return false;
        }
        pollfd one{fd, events, 0};
        const int ready = poll(&one, 1, static_cast<int>(left));
        if (ready > 0) {
            return true;
        }
        if (ready == 0 || errno != EINTR) {
            return false;
        }
    }
}

std::string LocalAddress(int fd) {
    sockaddr_storage local{};
    socklen_t size = sizeof local;
    char text[INET6_ADDRSTRLEN] = {};
    if (getsockname(fd, reinterpret_cast<sockaddr*>(&local), &size) != 0) {
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
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICHOST | AI_NUMERICSERV;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0) {
        return std::nullopt;
    }
    const std::unique_ptr<addrinfo, void (*)(addrinfo*)> foundGuard(found, freeaddrinfo);
    const int fd = socket(found->ai_family, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        return std::nullopt;
    }
    const std::unique_ptr<const int, void (*)(const int*)> fdGuard(
        &fd, [](const int* open) { close(*open); });
    if (connect(fd, found->ai_addr, found->ai_addrlen) != 0 &&
        (errno != EINPROGRESS || !Ready(fd, POLLOUT, deadline))) {
        return std::nullopt;
    }
    int error = 0;
    socklen_t errorSize = sizeof error;
    if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &errorSize) != 0 || error != 0) {
        return std::nullopt;
    }
    for (std::size_t sent = 0; sent < request.size();) {
        const ssize_t wrote = send(fd, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
        if (wrote > 0) {
            sent += static_cast<std::size_t>(wrote);
        } else if ((wrote < 0 && errno != EAGAIN && errno != EINTR) ||
                   !Ready(fd, POLLOUT, deadline)) {
            return std::nullopt;
        }
    }
    CappedReply reply{{}, LocalAddress(fd)};
    char buffer[8192];
    for (;;) {
        const ssize_t got = recv(fd, buffer, sizeof buffer, 0);
        if (got == 0) {
            return reply;
        }
        if (got > 0) {
            if (reply.bytes.size() + static_cast<std::size_t>(got) > maxBytes) {
                return std::nullopt;
            }
            reply.bytes.append(buffer, static_cast<std::size_t>(got));
        } else if ((errno != EAGAIN && errno != EINTR) || !Ready(fd, POLLIN, deadline)) {
            return std::nullopt;
        }
    }
}

} // namespace marloven
