/* SPDX-License-Identifier: GPL-3.0-or-later */
/* The part of SDL_net 1.2's interface that DOSBox 0.74-3 uses (its modem, null-modem
 * cable and IPX over UDP), over Winsock: the bundled DOSBox for Windows is linked with
 * it, as SDL_net's own source cannot be had from Debian's archive here. The types and
 * the names are those DOSBox's source is written against; the code behind them is
 * this project's own (sdlnet.c).
 *
 * As in SDL_net, addresses and ports in an IPaddress are in network byte order,
 * SDLNet_ResolveHost and SDLNet_UDP_Open take ports in host byte order, and a socket
 * set reports through SDLNet_SocketReady which of its sockets have something to read. */
#ifndef MARLOVEN_SDL_NET_H
#define MARLOVEN_SDL_NET_H

#include "SDL_types.h"

#ifdef __cplusplus
extern "C" {
#endif

#define SDL_NET_MAJOR_VERSION 1
#define SDL_NET_MINOR_VERSION 2
#define SDL_NET_PATCHLEVEL 8

typedef struct {
    Uint32 host;
    Uint16 port;
} IPaddress;

#ifndef INADDR_ANY
#define INADDR_ANY 0x00000000
#endif
#ifndef INADDR_NONE
#define INADDR_NONE 0xFFFFFFFF
#endif
#ifndef INADDR_BROADCAST
#define INADDR_BROADCAST 0xFFFFFFFF
#endif

int SDLNet_Init(void);
void SDLNet_Quit(void);
/* 0 and the address, or -1 when the name resolves to nothing. A null host means every
 * local address (for listening). */
int SDLNet_ResolveHost(IPaddress* address, const char* host, Uint16 port);

typedef struct _TCPsocket* TCPsocket;
/* Listens when the address's host is INADDR_ANY or INADDR_NONE, connects otherwise. */
TCPsocket SDLNet_TCP_Open(IPaddress* ip);
/* A waiting connection of a listening socket, or null at once when none waits. */
TCPsocket SDLNet_TCP_Accept(TCPsocket server);
IPaddress* SDLNet_TCP_GetPeerAddress(TCPsocket sock);
/* Sends all of it (blocking); returns how much was sent, less than len on failure. */
int SDLNet_TCP_Send(TCPsocket sock, const void* data, int len);
/* Waits for data; returns the bytes read, 0 when the other side closed, -1 on failure. */
int SDLNet_TCP_Recv(TCPsocket sock, void* data, int maxlen);
void SDLNet_TCP_Close(TCPsocket sock);

#define SDLNET_MAX_UDPCHANNELS 32
#define SDLNET_MAX_UDPADDRESSES 4

typedef struct _UDPsocket* UDPsocket;
typedef struct {
    int channel;
    Uint8* data;
    int len;
    int maxlen;
    int status;
    IPaddress address;
} UDPpacket;

/* Port 0: any free port. The socket may send to the broadcast address. */
UDPsocket SDLNet_UDP_Open(Uint16 port);
/* Binds the address to the channel (-1: the first channel with room); returns the
 * channel, or -1 when every channel is full. */
int SDLNet_UDP_Bind(UDPsocket sock, int channel, IPaddress* address);
void SDLNet_UDP_Unbind(UDPsocket sock, int channel);
/* To every address of the channel, or to packet->address for channel -1; returns how
 * many sends went out. packet->status is the bytes of the last send, -1 on failure. */
int SDLNet_UDP_Send(UDPsocket sock, int channel, UDPpacket* packet);
/* 1 and the packet (its address, and the channel bound to that address or -1), 0 when
 * none waits, -1 on failure. Never waits. */
int SDLNet_UDP_Recv(UDPsocket sock, UDPpacket* packet);
void SDLNet_UDP_Close(UDPsocket sock);

typedef struct _SDLNet_SocketSet* SDLNet_SocketSet;
/* Every socket begins with its ready flag, so that SDLNet_SocketReady reads it. */
typedef struct {
    int ready;
} * SDLNet_GenericSocket;

SDLNet_SocketSet SDLNet_AllocSocketSet(int maxsockets);
/* Return the number of sockets in the set, or -1 when it is full. */
int SDLNet_AddSocket(SDLNet_SocketSet set, SDLNet_GenericSocket sock);
int SDLNet_DelSocket(SDLNet_SocketSet set, SDLNet_GenericSocket sock);
#define SDLNet_TCP_AddSocket(set, sock) SDLNet_AddSocket(set, (SDLNet_GenericSocket)(sock))
#define SDLNet_UDP_AddSocket(set, sock) SDLNet_AddSocket(set, (SDLNet_GenericSocket)(sock))
#define SDLNet_TCP_DelSocket(set, sock) SDLNet_DelSocket(set, (SDLNet_GenericSocket)(sock))
#define SDLNet_UDP_DelSocket(set, sock) SDLNet_DelSocket(set, (SDLNet_GenericSocket)(sock))
/* Waits up to timeout ms; returns how many sockets of the set are ready, -1 on failure. */
int SDLNet_CheckSockets(SDLNet_SocketSet set, Uint32 timeout);
#define SDLNet_SocketReady(sock) ((sock) != NULL && ((SDLNet_GenericSocket)(sock))->ready)
void SDLNet_FreeSocketSet(SDLNet_SocketSet set);

void SDLNet_SetError(const char* format, ...);
const char* SDLNet_GetError(void);

/* Big-endian numbers in a buffer, at any alignment. */
static __inline__ void SDLNet_Write16(Uint16 value, void* area) {
    Uint8* bytes = (Uint8*)area;
    bytes[0] = (Uint8)(value >> 8);
    bytes[1] = (Uint8)value;
}
static __inline__ void SDLNet_Write32(Uint32 value, void* area) {
    Uint8* bytes = (Uint8*)area;
    bytes[0] = (Uint8)(value >> 24);
    bytes[1] = (Uint8)(value >> 16);
    bytes[2] = (Uint8)(value >> 8);
    bytes[3] = (Uint8)value;
}
static __inline__ Uint16 SDLNet_Read16(const void* area) {
    const Uint8* bytes = (const Uint8*)area;
    return (Uint16)((bytes[0] << 8) | bytes[1]);
}
static __inline__ Uint32 SDLNet_Read32(const void* area) {
    const Uint8* bytes = (const Uint8*)area;
    return ((Uint32)bytes[0] << 24) | ((Uint32)bytes[1] << 16) | ((Uint32)bytes[2] << 8) | bytes[3];
}

#ifdef __cplusplus
}
#endif

#endif
