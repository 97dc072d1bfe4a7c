// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the relay's tests share: ports, plans, and DOSBox's tunnel client.

#include "link/relay.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QNetworkDatagram>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>
#include <QUdpSocket>
#include <functional>
#include <gtest/gtest.h>
#include <set>

namespace marloven::test {

inline constexpr int kRelayBoundMs = 5000;
// Bytes through the meeting place on a loaded machine may take longer.
inline constexpr int kMeasureBoundMs = 20000;

// A port that nothing holds now, for hosting in a test.
inline int FreeHostingPort(bool udp) {
    for (int port = 20000 + static_cast<int>(QCoreApplication::applicationPid() % 20000);; ++port) {
        if (udp ? QUdpSocket().bind(QHostAddress::Any, port, QAbstractSocket::DontShareAddress)
                : QTcpServer().listen(QHostAddress::Any, port)) {
            return port;
        }
    }
}

inline RelayPlan Plan(LinkTransport transport, LinkSide side, int port,
                      std::string host = "127.0.0.1", bool ipv6 = false) {
    RelayPlan plan;
    plan.transport = transport;
    plan.side = side;
    plan.publicPort = port;
    plan.remote = {std::move(host), port, ipv6};
    return plan;
}

inline std::unique_ptr<Relay> Opened(const RelayPlan& plan) {
    auto relay = MakeRelay(plan);
    const auto refusal = relay->Open();
    EXPECT_FALSE(refusal) << *refusal;
    return relay;
}

// A tunnel datagram: the IPX header naming the destination node and socket, then the
// game's bytes.
inline QByteArray Ipx(const QByteArray& node, char socket, const QByteArray& payload = {}) {
    QByteArray datagram(30, '\0');
    datagram.replace(10, 6, node);
    datagram[17] = socket;
    return datagram + payload;
}
inline const QByteArray kRegistration = Ipx(QByteArray(6, '\0'), 2);
inline const QByteArray kBroadcast(6, '\xff');

inline QByteArray Pattern(int size, int seed) {
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>((i * 7 + seed + i / 251) % 256);
    }
    return bytes;
}

// Turns the event loop as the launcher does, looking every millisecond, until `done` or
// the bound: QTest::qWaitFor sleeps 10 ms between its looks, which would stretch the
// figures measured here (both sides run on this thread).
inline bool Spin(const std::function<bool()>& done, int boundMs = kMeasureBoundMs) {
    QEventLoop loop;
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, &loop, [&] {
        if (done()) {
            loop.quit();
        }
    });
    look.start(1);
    QTimer::singleShot(boundMs, &loop, &QEventLoop::quit);
    if (!done()) {
        loop.exec();
    }
    return done();
}

// Reads what arrives until `size` bytes or the bound.
inline QByteArray ReadAll(QTcpSocket& socket, qsizetype size) {
    QByteArray read;
    Spin([&] {
        read += socket.readAll();
        return read.size() >= size;
    });
    return read;
}

// DOSBox's tunnel client: registers with the server and learns its node from the answer.
struct TunnelClient {
    QUdpSocket socket;
    QByteArray node;
    quint16 server;
    explicit TunnelClient(int port, bool answered = true) : server(static_cast<quint16>(port)) {
        socket.bind(QHostAddress::LocalHost, 0);
        socket.writeDatagram(kRegistration, QHostAddress::LocalHost, port);
        if (answered) {
            node = Receive().mid(10, 6);
        }
    }
    QByteArray Receive() {
        EXPECT_TRUE(QTest::qWaitFor([&] { return socket.hasPendingDatagrams(); }, kRelayBoundMs));
        return socket.hasPendingDatagrams() ? socket.receiveDatagram().data() : QByteArray();
    }
    void Send(const QByteArray& toNode, const QByteArray& payload) {
        socket.writeDatagram(Ipx(toNode, 0x45, payload), QHostAddress::LocalHost, server);
    }
};

// Three players, each on a node of its own: the host's broadcast reaches both others, and
// what one sends to the other's node reaches that one.
inline void ExpectEachDatagramAtItsNodes(TunnelClient& host, TunnelClient& one, TunnelClient& two) {
    EXPECT_EQ(std::set<QByteArray>({host.node, one.node, two.node}).size(), 3u);
    host.Send(kBroadcast, "all");
    EXPECT_TRUE(one.Receive().endsWith("all"));
    EXPECT_TRUE(two.Receive().endsWith("all"));
    one.Send(two.node, "only two");
    EXPECT_TRUE(two.Receive().endsWith("only two"));
}

} // namespace marloven::test
