// SPDX-License-Identifier: GPL-3.0-or-later
// Loaded into DOSBox (LD_PRELOAD) for every start whose link the launcher carries.
// DOSBox 0.74 binds its modem's listening socket and its IPX tunnel's socket to every
// address of the machine, and has no setting to name one: any machine of the home
// network would reach the driver there past the launcher, which proves who a player is.
// Here each bind to "any address" becomes one to the loopback address of its family,
// so that only programs on this machine, the launcher among them, reach DOSBox. DOSBox
// talks only to the launcher's end on 127.0.0.1 in such a start, so it loses nothing.
#include <dlfcn.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstring>

namespace {

using Bind = int (*)(int, const sockaddr*, socklen_t);

Bind NextBind() {
    static const auto kNext = reinterpret_cast<Bind>(dlsym(RTLD_NEXT, "bind"));
    return kNext;
}

} // namespace

extern "C" __attribute__((visibility("default"))) int bind(int socket, const sockaddr* address,
                                                           socklen_t length) {
    const Bind next = NextBind();
    if (next == nullptr) {
        errno = ENOSYS;
        return -1;
    }
    if (address != nullptr && address->sa_family == AF_INET && length >= sizeof(sockaddr_in)) {
        sockaddr_in local{};
        std::memcpy(&local, address, sizeof local);
        if (local.sin_addr.s_addr == htonl(INADDR_ANY)) {
            local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            return next(socket, reinterpret_cast<const sockaddr*>(&local), sizeof local);
        }
    } else if (address != nullptr && address->sa_family == AF_INET6 &&
               length >= sizeof(sockaddr_in6)) {
        sockaddr_in6 local{};
        std::memcpy(&local, address, sizeof local);
        if (std::memcmp(&local.sin6_addr, &in6addr_any, sizeof in6addr_any) == 0) {
            local.sin6_addr = in6addr_loopback;
            return next(socket, reinterpret_cast<const sockaddr*>(&local), sizeof local);
        }
    }
    return next(socket, address, length);
}
