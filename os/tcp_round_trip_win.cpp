// SPDX-License-Identifier: GPL-3.0-or-later
#include "os/tcp_round_trip.h"

// The request is declared for Windows 10 1703 and later; older systems refuse it when
// asked, which reads as not told.
#undef _WIN32_WINNT
#define _WIN32_WINNT 0x0A00
#undef NTDDI_VERSION
#define NTDDI_VERSION 0x0A000003
// Winsock's own header first: the TCP one builds on its types.
#include <winsock2.h>

#include <mstcpip.h>

namespace marloven {

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
