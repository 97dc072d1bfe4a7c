// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "os/socket_library.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace marloven {

// The gateway of this machine's default route (the home router), as a dotted IPv4
// address; nothing when there is none.
std::optional<std::string> DefaultGatewayIpv4();

// One UDP socket that sends to one IPv4 address and port and hears only it: the short
// questions a router answers (NAT-PMP). Closed when it goes.
class RouterDatagrams {
  public:
    RouterDatagrams(const std::string& ipv4, int port);
    ~RouterDatagrams();
    RouterDatagrams(const RouterDatagrams&) = delete;
    RouterDatagrams& operator=(const RouterDatagrams&) = delete;

    bool IsOpen() const { return open_; }
    bool Send(const std::vector<std::uint8_t>& bytes);
    // One datagram from there, waiting at most `wait`; nothing when none came.
    std::optional<std::vector<std::uint8_t>> Receive(std::chrono::milliseconds wait);
    // The system said that nothing takes datagrams at that port there.
    bool Refused() const { return refused_; }

  private:
    SocketLibraryUse library_;
    std::uintptr_t socket_ = 0;
    bool open_ = false;
    bool refused_ = false;
};

} // namespace marloven
