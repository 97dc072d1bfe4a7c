// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QTcpSocket>

#ifndef _WIN32
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace marloven::test {

// A listener on 127.0.0.1 whose backlog is full: a connection to it is never answered,
// as with a host behind a firewall that drops the call. Windows refuses a call to a
// full backlog at once instead, so there the host cannot be made this way.
class DeafHost {
  public:
#ifdef _WIN32
    static constexpr bool kPossible = false;
    DeafHost() = default;
#else
    static constexpr bool kPossible = true;
    DeafHost() : fd_(socket(AF_INET, SOCK_STREAM, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        bind(fd_, reinterpret_cast<sockaddr*>(&address), length);
        listen(fd_, 0);
        getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length);
        port = ntohs(address.sin_port);
        for (auto& filler : fillers_) {
            filler.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(port));
        }
    }
    ~DeafHost() {
        close(fd_);
    }
#endif
    DeafHost(const DeafHost&) = delete;
    DeafHost& operator=(const DeafHost&) = delete;

    int port = 0;

  private:
#ifndef _WIN32
    int fd_;
#endif
    QTcpSocket fillers_[3];
};

} // namespace marloven::test
