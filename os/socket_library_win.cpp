// SPDX-License-Identifier: GPL-3.0-or-later
#include "os/socket_library.h"

#include <winsock2.h>

namespace marloven {

// Winsock counts its starts: each use ends its own, and Qt's sockets keep theirs.
SocketLibraryUse::SocketLibraryUse() {
    WSADATA data;
    started_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

SocketLibraryUse::~SocketLibraryUse() {
    if (started_) {
        WSACleanup();
    }
}

} // namespace marloven
