// SPDX-License-Identifier: GPL-3.0-or-later
#include "os/tcp_round_trip.h"

#include <mstcpip.h>
#include <winsock2.h>

namespace marloven {

// Windows 10 1703 and later tell it; older ones, and Wine, refuse the request.
std::optional<std::int64_t> TcpRoundTripMicroseconds(std::intptr_t socketDescriptor) {
    DWORD version = 0;
    TCP_INFO_v0 info{};
    DWORD returned = 0;
    if (WSAIoctl(static_cast<SOCKET>(socketDescriptor), SIO_TCP_INFO, &version, sizeof(version),
                 &info, sizeof(info), &returned, nullptr, nullptr) == 0 &&
        returned >= sizeof(info) && info.RttUs > 0) {
        return info.RttUs;
    }
    return std::nullopt;
}

} // namespace marloven
