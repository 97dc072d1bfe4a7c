// SPDX-License-Identifier: GPL-3.0-or-later
#include "os/tcp_round_trip.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

namespace marloven {

std::optional<std::int64_t> TcpRoundTripMicroseconds(std::intptr_t socketDescriptor) {
#ifdef TCP_INFO
    tcp_info info{};
    socklen_t size = sizeof(info);
    if (getsockopt(static_cast<int>(socketDescriptor), IPPROTO_TCP, TCP_INFO, &info, &size) == 0 &&
        size >= sizeof(info) && info.tcpi_rtt > 0) {
        return info.tcpi_rtt;
    }
#else
    (void)socketDescriptor;
#endif
    return std::nullopt;
}

} // namespace marloven
