// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace marloven {

// While one lives, this process may use sockets of its own. Windows wants its socket
// library started first, and libraries such as miniupnpc leave that to their caller;
// elsewhere there is nothing to do. One source per system.
class SocketLibraryUse {
  public:
    SocketLibraryUse();
#ifdef _WIN32
    ~SocketLibraryUse();
#endif
    SocketLibraryUse(const SocketLibraryUse&) = delete;
    SocketLibraryUse& operator=(const SocketLibraryUse&) = delete;

#ifdef _WIN32
  private:
    bool started_ = false;
#endif
};

} // namespace marloven
