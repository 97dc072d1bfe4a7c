// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "os/socket_library.h"

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>

namespace marloven {

struct CappedReply {
    std::string bytes;        // all that came, at most the cap
    std::string localAddress; // this machine's address on the way there
};

// Sends `request` over TCP to the numeric `host` (IPv4 or IPv6) and reads the reply
// until the other end closes, giving up at `deadline`. Nothing when more than
// `maxBytes` come: a device on the home network cannot make the launcher hold more
// than that, whatever it sends. One source per system.
std::optional<CappedReply> ExchangeCapped(const std::string& host, int port,
                                          const std::string& request, std::size_t maxBytes,
                                          std::chrono::steady_clock::time_point deadline);

} // namespace marloven
