/* SPDX-License-Identifier: GPL-3.0-or-later */
/* SDL_net 1.2's calls that DOSBox uses, over Winsock (see SDL_net.h). */
#include "SDL_net.h"

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <winsock2.h>
#include <ws2tcpip.h>

/* DOSBox makes a TCPsocket of a socket it was handed (its null modem's inhsocket) by
 * filling this very layout itself: the fields and their order must stay. */
struct _TCPsocket {
    int ready;
    SOCKET channel;
    IPaddress remoteAddress;
    IPaddress localAddress;
    int sflag;
};

struct _UDPsocket {
    int ready;
    SOCKET channel;
    IPaddress address;
    struct {
        int count;
        IPaddress address[SDLNET_MAX_UDPADDRESSES];
    } binding[SDLNET_MAX_UDPCHANNELS];
};

/* Both socket kinds begin with their ready flag and their Winsock socket. */
struct GenericSocket {
    int ready;
    SOCKET channel;
};

struct _SDLNet_SocketSet {
    int count;
    int capacity;
    struct GenericSocket** sockets;
};

static char error_text[256];
static int started;

void SDLNet_SetError(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    vsnprintf(error_text, sizeof error_text, format, arguments);
    va_end(arguments);
}

const char* SDLNet_GetError(void) {
    return error_text;
}

static void socket_error(const char* what) {
    SDLNet_SetError("%s failed (Winsock error %d)", what, WSAGetLastError());
}

int SDLNet_Init(void) {
    if (started == 0) {
        WSADATA data;
        const int error = WSAStartup(MAKEWORD(2, 2), &data);
        if (error != 0) {
            SDLNet_SetError("Winsock would not start (error %d)", error);
            return -1;
        }
    }
    ++started;
    return 0;
}

void SDLNet_Quit(void) {
    if (started > 0 && --started == 0) {
        WSACleanup();
    }
}

int SDLNet_ResolveHost(IPaddress* address, const char* host, Uint16 port) {
    address->port = htons(port);
    if (host == NULL) {
        address->host = INADDR_ANY;
        return 0;
    }
    struct in_addr numeric;
    if (inet_pton(AF_INET, host, &numeric) == 1) {
        address->host = numeric.s_addr;
        return 0;
    }
    struct addrinfo hints;
    memset(&hints, 0, sizeof hints);
    hints.ai_family = AF_INET;
    struct addrinfo* found = NULL;
    if (getaddrinfo(host, NULL, &hints, &found) != 0 || found == NULL) {
        address->host = INADDR_NONE;
        SDLNet_SetError("no address for %s", host);
        return -1;
    }
    address->host = ((struct sockaddr_in*)found->ai_addr)->sin_addr.s_addr;
    freeaddrinfo(found);
    return 0;
}

static struct sockaddr_in socket_address(const IPaddress* address) {
    struct sockaddr_in result;
    memset(&result, 0, sizeof result);
    result.sin_family = AF_INET;
    result.sin_addr.s_addr = address->host;
    result.sin_port = address->port;
    return result;
}

static IPaddress ip_address(const struct sockaddr_in* address) {
    IPaddress result;
    result.host = address->sin_addr.s_addr;
    result.port = address->sin_port;
    return result;
}

static int set_blocking(SOCKET sock, int blocking) {
    u_long mode = blocking ? 0 : 1;
    return ioctlsocket(sock, FIONBIO, &mode);
}

/* A TCP or UDP socket of size bytes holding the channel; the channel is closed when
 * there is no memory for it. */
static void* new_socket(SOCKET channel, size_t size) {
    struct GenericSocket* sock = calloc(1, size);
    if (sock == NULL) {
        closesocket(channel);
        SDLNet_SetError("out of memory");
        return NULL;
    }
    sock->channel = channel;
    return sock;
}

static TCPsocket new_tcp(SOCKET channel) {
    return new_socket(channel, sizeof(struct _TCPsocket));
}

/* The address a listener or a tunnel takes. A start whose link the launcher carries sets
 * MARLOVEN_LOOPBACK_ONLY=1: DOSBox then talks to the launcher on 127.0.0.1 alone, so its
 * sockets are bound there and no other machine reaches the driver past the launcher,
 * which proves who a player is. */
static u_long any_address(void) {
    const char* only = getenv("MARLOVEN_LOOPBACK_ONLY");
    return only != NULL && strcmp(only, "1") == 0 ? htonl(INADDR_LOOPBACK) : INADDR_ANY;
}

TCPsocket SDLNet_TCP_Open(IPaddress* ip) {
    SOCKET channel = socket(AF_INET, SOCK_STREAM, 0);
    if (channel == INVALID_SOCKET) {
        socket_error("socket");
        return NULL;
    }
    struct sockaddr_in address = socket_address(ip);
    const int on = 1;
    if (ip->host == INADDR_ANY || ip->host == INADDR_NONE) {
        /* A listener. Winsock's SO_REUSEADDR would let another program's listener take
         * the same port, so it stays off. Accepting never waits. */
        address.sin_addr.s_addr = any_address();
        if (bind(channel, (struct sockaddr*)&address, sizeof address) == SOCKET_ERROR ||
            listen(channel, 5) == SOCKET_ERROR || set_blocking(channel, 0) == SOCKET_ERROR) {
            socket_error("listening");
            closesocket(channel);
            return NULL;
        }
        TCPsocket sock = new_tcp(channel);
        if (sock != NULL) {
            sock->sflag = 1;
            sock->localAddress = *ip;
        }
        return sock;
    }
    if (connect(channel, (struct sockaddr*)&address, sizeof address) == SOCKET_ERROR) {
        socket_error("connect");
        closesocket(channel);
        return NULL;
    }
    /* A game's small messages go out at once. */
    setsockopt(channel, IPPROTO_TCP, TCP_NODELAY, (const char*)&on, sizeof on);
    TCPsocket sock = new_tcp(channel);
    if (sock != NULL) {
        sock->remoteAddress = *ip;
    }
    return sock;
}

TCPsocket SDLNet_TCP_Accept(TCPsocket server) {
    if (server == NULL || !server->sflag) {
        SDLNet_SetError("only a listening socket accepts");
        return NULL;
    }
    server->ready = 0;
    struct sockaddr_in address;
    int length = sizeof address;
    SOCKET channel = accept(server->channel, (struct sockaddr*)&address, &length);
    if (channel == INVALID_SOCKET) {
        socket_error("accept");
        return NULL;
    }
    /* An accepted socket inherits the listener's non-blocking mode; reading and sending
     * wait, as for a connected one. */
    const int on = 1;
    set_blocking(channel, 1);
    setsockopt(channel, IPPROTO_TCP, TCP_NODELAY, (const char*)&on, sizeof on);
    TCPsocket sock = new_tcp(channel);
    if (sock != NULL) {
        sock->remoteAddress = ip_address(&address);
    }
    return sock;
}

IPaddress* SDLNet_TCP_GetPeerAddress(TCPsocket sock) {
    if (sock == NULL || sock->sflag) {
        return NULL;
    }
    return &sock->remoteAddress;
}

int SDLNet_TCP_Send(TCPsocket sock, const void* data, int len) {
    if (sock->sflag) {
        SDLNet_SetError("a listening socket sends nothing");
        return -1;
    }
    const char* bytes = data;
    int sent = 0;
    while (sent < len) {
        const int count = send(sock->channel, bytes + sent, len - sent, 0);
        if (count == SOCKET_ERROR) {
            socket_error("send");
            break;
        }
        sent += count;
    }
    return sent;
}

int SDLNet_TCP_Recv(TCPsocket sock, void* data, int maxlen) {
    if (sock->sflag) {
        SDLNet_SetError("a listening socket receives nothing");
        return -1;
    }
    const int count = recv(sock->channel, data, maxlen, 0);
    sock->ready = 0;
    if (count == SOCKET_ERROR) {
        socket_error("recv");
        return -1;
    }
    return count;
}

void SDLNet_TCP_Close(TCPsocket sock) {
    if (sock != NULL) {
        closesocket(sock->channel);
        free(sock);
    }
}

UDPsocket SDLNet_UDP_Open(Uint16 port) {
    SOCKET channel = socket(AF_INET, SOCK_DGRAM, 0);
    if (channel == INVALID_SOCKET) {
        socket_error("socket");
        return NULL;
    }
    struct sockaddr_in address;
    memset(&address, 0, sizeof address);
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = any_address();
    address.sin_port = htons(port);
    int length = sizeof address;
    const int on = 1;
    if (bind(channel, (struct sockaddr*)&address, sizeof address) == SOCKET_ERROR ||
        getsockname(channel, (struct sockaddr*)&address, &length) == SOCKET_ERROR) {
        socket_error("bind");
        closesocket(channel);
        return NULL;
    }
    setsockopt(channel, SOL_SOCKET, SO_BROADCAST, (const char*)&on, sizeof on);
    UDPsocket sock = new_socket(channel, sizeof *sock);
    if (sock != NULL) {
        sock->address = ip_address(&address);
    }
    return sock;
}

int SDLNet_UDP_Bind(UDPsocket sock, int channel, IPaddress* address) {
    if (channel == -1) {
        for (channel = 0; channel < SDLNET_MAX_UDPCHANNELS; ++channel) {
            if (sock->binding[channel].count < SDLNET_MAX_UDPADDRESSES) {
                break;
            }
        }
    } else if (channel < 0 || channel >= SDLNET_MAX_UDPCHANNELS) {
        SDLNet_SetError("no channel %d", channel);
        return -1;
    }
    if (channel == SDLNET_MAX_UDPCHANNELS ||
        sock->binding[channel].count == SDLNET_MAX_UDPADDRESSES) {
        SDLNet_SetError("no room for another address on the channel");
        return -1;
    }
    sock->binding[channel].address[sock->binding[channel].count++] = *address;
    return channel;
}

void SDLNet_UDP_Unbind(UDPsocket sock, int channel) {
    if (channel >= 0 && channel < SDLNET_MAX_UDPCHANNELS) {
        sock->binding[channel].count = 0;
    }
}

static int send_to(UDPsocket sock, const IPaddress* to, UDPpacket* packet) {
    const struct sockaddr_in address = socket_address(to);
    packet->status = sendto(sock->channel, (const char*)packet->data, packet->len, 0,
                            (const struct sockaddr*)&address, sizeof address);
    if (packet->status == SOCKET_ERROR) {
        packet->status = -1;
        socket_error("sendto");
        return 0;
    }
    return 1;
}

int SDLNet_UDP_Send(UDPsocket sock, int channel, UDPpacket* packet) {
    if (channel == -1) {
        return send_to(sock, &packet->address, packet);
    }
    if (channel < 0 || channel >= SDLNET_MAX_UDPCHANNELS) {
        SDLNet_SetError("no channel %d", channel);
        return 0;
    }
    int sent = 0;
    for (int i = 0; i < sock->binding[channel].count; ++i) {
        sent += send_to(sock, &sock->binding[channel].address[i], packet);
    }
    return sent;
}

/* Whether the socket has something to read now. */
static int readable(SOCKET channel) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(channel, &set);
    struct timeval now = {0, 0};
    return select(0, &set, NULL, NULL, &now) == 1;
}

int SDLNet_UDP_Recv(UDPsocket sock, UDPpacket* packet) {
    sock->ready = 0;
    while (readable(sock->channel)) {
        struct sockaddr_in address;
        int length = sizeof address;
        const int count = recvfrom(sock->channel, (char*)packet->data, packet->maxlen, 0,
                                   (struct sockaddr*)&address, &length);
        if (count == SOCKET_ERROR) {
            /* Windows reports an ICMP "port unreachable" from an earlier send as a failed
             * receive on the next call; it says nothing of this packet, so the next one
             * is read. A datagram longer than the buffer is dropped, as elsewhere. */
            const int error = WSAGetLastError();
            if (error == WSAECONNRESET || error == WSAEMSGSIZE) {
                continue;
            }
            socket_error("recvfrom");
            return -1;
        }
        packet->len = count;
        packet->status = count;
        packet->address = ip_address(&address);
        packet->channel = -1;
        for (int channel = 0; channel < SDLNET_MAX_UDPCHANNELS && packet->channel == -1;
             ++channel) {
            for (int i = 0; i < sock->binding[channel].count; ++i) {
                const IPaddress* bound = &sock->binding[channel].address[i];
                if (bound->host == packet->address.host && bound->port == packet->address.port) {
                    packet->channel = channel;
                    break;
                }
            }
        }
        return 1;
    }
    return 0;
}

void SDLNet_UDP_Close(UDPsocket sock) {
    if (sock != NULL) {
        closesocket(sock->channel);
        free(sock);
    }
}

SDLNet_SocketSet SDLNet_AllocSocketSet(int maxsockets) {
    SDLNet_SocketSet set = calloc(1, sizeof *set);
    if (set != NULL) {
        set->sockets = calloc(maxsockets > 0 ? maxsockets : 1, sizeof *set->sockets);
        if (set->sockets == NULL) {
            free(set);
            set = NULL;
        }
    }
    if (set == NULL) {
        SDLNet_SetError("out of memory");
        return NULL;
    }
    set->capacity = maxsockets;
    return set;
}

int SDLNet_AddSocket(SDLNet_SocketSet set, SDLNet_GenericSocket sock) {
    if (sock == NULL) {
        return set->count;
    }
    if (set->count == set->capacity) {
        SDLNet_SetError("the socket set is full");
        return -1;
    }
    set->sockets[set->count++] = (struct GenericSocket*)sock;
    return set->count;
}

int SDLNet_DelSocket(SDLNet_SocketSet set, SDLNet_GenericSocket sock) {
    for (int i = 0; i < set->count; ++i) {
        if (set->sockets[i] == (struct GenericSocket*)sock) {
            set->sockets[i] = set->sockets[--set->count];
            return set->count;
        }
    }
    SDLNet_SetError("the socket is not in the set");
    return -1;
}

int SDLNet_CheckSockets(SDLNet_SocketSet set, Uint32 timeout) {
    if (set->count == 0) {
        return 0;
    }
    fd_set readers;
    FD_ZERO(&readers);
    for (int i = 0; i < set->count; ++i) {
        FD_SET(set->sockets[i]->channel, &readers);
    }
    struct timeval wait = {(long)(timeout / 1000), (long)(timeout % 1000) * 1000};
    const int count = select(0, &readers, NULL, NULL, &wait);
    if (count == SOCKET_ERROR) {
        socket_error("select");
        return -1;
    }
    for (int i = 0; i < set->count; ++i) {
        set->sockets[i]->ready = FD_ISSET(set->sockets[i]->channel, &readers) ? 1 : 0;
    }
    return count;
}

void SDLNet_FreeSocketSet(SDLNet_SocketSet set) {
    if (set != NULL) {
        free(set->sockets);
        free(set);
    }
}
