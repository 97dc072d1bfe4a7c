/* SPDX-License-Identifier: GPL-3.0-or-later */
/* Checks the SDL_net calls of sdlnet.c as DOSBox makes them, on 127.0.0.1 only: the
 * modem's and the null modem's TCP (a listener that never blocks DOSBox's emulation,
 * data both ways, the socket set's ready flags, the other side's closing) and IPX's UDP
 * (channels, the sender's channel, a receive that never waits); and that a start whose
 * link the launcher carries keeps both to 127.0.0.1. Prints what failed;
 * ends with 0 when nothing did. Built and run under Wine by scripts/windows-dosbox. */
#include "SDL_net.h"

#include <stdio.h>
#include <string.h>
#include <windows.h>

static int failures;

#define CHECK(condition)                                                                           \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            printf("sdlnet_test:%d: %s (%s)\n", __LINE__, #condition, SDLNet_GetError());          \
            ++failures;                                                                            \
        }                                                                                          \
    } while (0)

/* A free port of this machine's: the process's id spreads parallel runs apart. */
static Uint16 next_port(void) {
    static Uint16 port;
    if (port == 0) {
        port = (Uint16)(30000 + GetCurrentProcessId() % 20000);
    }
    return ++port;
}

static Uint32 loopback(void) {
    IPaddress address;
    SDLNet_ResolveHost(&address, "127.0.0.1", 0);
    return address.host;
}

/* Bounded wait until the set reports something ready. */
static int wait_ready(SDLNet_SocketSet set) {
    for (int i = 0; i < 50; ++i) {
        if (SDLNet_CheckSockets(set, 100) > 0) {
            return 1;
        }
    }
    return 0;
}

static void tcp(void) {
    TCPsocket listener = NULL;
    IPaddress address;
    for (int tries = 0; tries < 20 && listener == NULL; ++tries) {
        SDLNet_ResolveHost(&address, NULL, next_port());
        listener = SDLNet_TCP_Open(&address);
    }
    CHECK(listener != NULL);
    if (listener == NULL) {
        return;
    }
    SDLNet_SocketSet listening = SDLNet_AllocSocketSet(1);
    CHECK(SDLNet_TCP_AddSocket(listening, listener) == 1);
    /* DOSBox asks on every tick: with nobody calling, the answer comes at once. */
    CHECK(SDLNet_TCP_Accept(listener) == NULL);
    CHECK(SDLNet_CheckSockets(listening, 0) == 0);

    IPaddress to;
    CHECK(SDLNet_ResolveHost(&to, "127.0.0.1", SDLNet_Read16(&address.port)) == 0);
    CHECK(to.port == address.port && to.host == loopback());
    TCPsocket caller = SDLNet_TCP_Open(&to);
    CHECK(caller != NULL);
    CHECK(wait_ready(listening));
    CHECK(SDLNet_SocketReady(listener));
    TCPsocket answerer = SDLNet_TCP_Accept(listener);
    CHECK(answerer != NULL);
    if (caller == NULL || answerer == NULL) {
        return;
    }
    IPaddress* peer = SDLNet_TCP_GetPeerAddress(answerer);
    CHECK(peer != NULL && peer->host == loopback());
    CHECK(SDLNet_TCP_GetPeerAddress(listener) == NULL);

    SDLNet_SocketSet reading = SDLNet_AllocSocketSet(1);
    SDLNet_TCP_AddSocket(reading, answerer);
    CHECK(SDLNet_CheckSockets(reading, 0) == 0);
    CHECK(!SDLNet_SocketReady(answerer));
    char big[100000];
    for (size_t i = 0; i < sizeof big; ++i) {
        big[i] = (char)(i * 7);
    }
    CHECK(SDLNet_TCP_Send(caller, "ATDT", 4) == 4);
    CHECK(wait_ready(reading) && SDLNet_SocketReady(answerer));
    char got[sizeof big];
    CHECK(SDLNet_TCP_Recv(answerer, got, 4) == 4 && memcmp(got, "ATDT", 4) == 0);
    CHECK(!SDLNet_SocketReady(answerer));
    /* The answerer was accepted from a listener that never waits; it must wait itself,
     * or a large send would come back short. */
    CHECK(SDLNet_TCP_Send(answerer, big, sizeof big) == (int)sizeof big);
    int received = 0;
    while (received < (int)sizeof big) {
        const int count = SDLNet_TCP_Recv(caller, got + received, (int)sizeof got - received);
        if (count <= 0) {
            break;
        }
        received += count;
    }
    CHECK(received == (int)sizeof big && memcmp(got, big, sizeof big) == 0);

    SDLNet_TCP_Close(caller);
    CHECK(wait_ready(reading));
    CHECK(SDLNet_TCP_Recv(answerer, got, 1) == 0);
    CHECK(SDLNet_TCP_DelSocket(reading, answerer) == 0);
    SDLNet_TCP_Close(answerer);
    SDLNet_FreeSocketSet(reading);
    SDLNet_TCP_DelSocket(listening, listener);
    SDLNet_TCP_Close(listener);
    SDLNet_FreeSocketSet(listening);

    /* Nobody listens there now. */
    CHECK(SDLNet_TCP_Open(&to) == NULL);
}

/* Bounded wait for one datagram: 1 when it came, 0 when the wait ran out. */
static int receive(UDPsocket sock, UDPpacket* packet, int tries) {
    for (int i = 0; i < tries; ++i) {
        if (SDLNet_UDP_Recv(sock, packet) != 0) {
            return 1;
        }
        Sleep(20);
    }
    return 0;
}

static void udp(void) {
    UDPsocket server = NULL;
    Uint16 port = 0;
    for (int tries = 0; tries < 20 && server == NULL; ++tries) {
        port = next_port();
        server = SDLNet_UDP_Open(port);
    }
    UDPsocket client = SDLNet_UDP_Open(0);
    CHECK(server != NULL && client != NULL);
    if (server == NULL || client == NULL) {
        return;
    }
    Uint8 buffer[1500];
    UDPpacket packet;
    packet.data = buffer;
    packet.maxlen = sizeof buffer;
    CHECK(SDLNet_UDP_Recv(server, &packet) == 0);

    IPaddress server_address;
    SDLNet_ResolveHost(&server_address, "127.0.0.1", port);
    const int channel = SDLNet_UDP_Bind(client, -1, &server_address);
    CHECK(channel == 0);
    memcpy(buffer, "IPX Register", 12);
    packet.len = 12;
    CHECK(SDLNet_UDP_Send(client, channel, &packet) == 1 && packet.status == 12);

    UDPpacket in;
    Uint8 in_buffer[1500];
    in.data = in_buffer;
    in.maxlen = sizeof in_buffer;
    CHECK(receive(server, &in, 100) && in.len == 12 && memcmp(in_buffer, "IPX Register", 12) == 0);
    CHECK(in.channel == -1 && in.address.host == loopback());

    /* The server answers the address it read (channel -1); the client knows the server's
     * address by its channel. */
    memcpy(in_buffer, "ack", 3);
    in.len = 3;
    CHECK(SDLNet_UDP_Send(server, -1, &in) == 1);
    CHECK(receive(client, &packet, 100) && packet.len == 3 && packet.channel == channel);
    CHECK(SDLNet_UDP_Recv(client, &packet) == 0);

    /* A datagram to a port nobody holds any more must not stop the client's receiving:
     * Windows reports it on the next receive. */
    SDLNet_UDP_Close(server);
    packet.len = 3;
    SDLNet_UDP_Send(client, channel, &packet);
    Sleep(100);
    CHECK(SDLNet_UDP_Recv(client, &packet) == 0);
    SDLNet_UDP_Close(client);
}

/* MARLOVEN_LOOPBACK_ONLY=1: the listener and the tunnel take what comes to 127.0.0.1 and
 * nothing that comes to another address of this machine. */
static void loopback_only(void) {
    _putenv("MARLOVEN_LOOPBACK_ONLY=1");
    TCPsocket listener = NULL;
    UDPsocket tunnel = NULL;
    Uint16 port = 0;
    for (int tries = 0; tries < 20 && (listener == NULL || tunnel == NULL); ++tries) {
        SDLNet_TCP_Close(listener);
        SDLNet_UDP_Close(tunnel);
        port = next_port();
        IPaddress any;
        SDLNet_ResolveHost(&any, NULL, port);
        listener = SDLNet_TCP_Open(&any);
        tunnel = SDLNet_UDP_Open(port);
    }
    UDPsocket sender = SDLNet_UDP_Open(0);
    CHECK(listener != NULL && tunnel != NULL && sender != NULL);
    if (listener == NULL || tunnel == NULL || sender == NULL) {
        return;
    }
    IPaddress other;
    IPaddress local;
    SDLNet_ResolveHost(&other, "127.0.0.2", port);
    SDLNet_ResolveHost(&local, "127.0.0.1", port);
    TCPsocket stranger = SDLNet_TCP_Open(&other);
    CHECK(stranger == NULL);
    TCPsocket launcher = SDLNet_TCP_Open(&local);
    CHECK(launcher != NULL);

    Uint8 buffer[16];
    UDPpacket packet;
    packet.data = buffer;
    packet.maxlen = sizeof buffer;
    memcpy(buffer, "IPX Register", 12);
    packet.len = 12;
    packet.address = other;
    SDLNet_UDP_Send(sender, -1, &packet);
    CHECK(!receive(tunnel, &packet, 15));
    packet.len = 12;
    packet.address = local;
    CHECK(SDLNet_UDP_Send(sender, -1, &packet) == 1);
    CHECK(receive(tunnel, &packet, 100));

    SDLNet_TCP_Close(stranger);
    SDLNet_TCP_Close(launcher);
    SDLNet_TCP_Close(listener);
    SDLNet_UDP_Close(sender);
    SDLNet_UDP_Close(tunnel);
    _putenv("MARLOVEN_LOOPBACK_ONLY=");
}

int main(void) {
    CHECK(SDLNet_Init() == 0);
    Uint8 bytes[4];
    SDLNet_Write32(0x01020304, bytes);
    CHECK(bytes[0] == 1 && bytes[3] == 4 && SDLNet_Read32(bytes) == 0x01020304);
    SDLNet_Write16(0xfffe, bytes);
    CHECK(bytes[0] == 0xff && SDLNet_Read16(bytes) == 0xfffe);
    tcp();
    udp();
    loopback_only();
    SDLNet_Quit();
    printf("sdlnet_test: %s\n", failures == 0 ? "passed" : "FAILED");
    return failures == 0 ? 0 : 1;
}
