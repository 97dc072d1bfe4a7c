// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/relay.h"

#include "tests/support/deaf_host.h"

#include <QElapsedTimer>
#include <QNetworkDatagram>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QUdpSocket>
#include <gtest/gtest.h>
#include <set>

namespace marloven {
namespace {

using test::DeafHost;

constexpr int kBoundMs = 5000;

// A port that nothing holds now, for hosting in a test.
int FreeHostingPort(bool udp) {
    for (int port = 20000 + static_cast<int>(QCoreApplication::applicationPid() % 20000);; ++port) {
        if (udp ? QUdpSocket().bind(QHostAddress::Any, port, QAbstractSocket::DontShareAddress)
                : QTcpServer().listen(QHostAddress::Any, port)) {
            return port;
        }
    }
}

RelayPlan Plan(LinkTransport transport, LinkSide side, int port, std::string host = "127.0.0.1",
               bool ipv6 = false) {
    RelayPlan plan;
    plan.transport = transport;
    plan.side = side;
    plan.publicPort = port;
    plan.remote = {std::move(host), port, ipv6};
    return plan;
}

std::unique_ptr<Relay> Opened(const RelayPlan& plan) {
    auto relay = MakeRelay(plan);
    const auto refusal = relay->Open();
    EXPECT_FALSE(refusal) << *refusal;
    return relay;
}

QByteArray ReadSome(QTcpSocket& socket) {
    EXPECT_TRUE(QTest::qWaitFor([&] { return socket.bytesAvailable() > 0; }, kBoundMs));
    return socket.readAll();
}

TEST(Relay, HostingRefusesAPortInUseOrBelow1024NamingItAndAnother) {
    for (const auto transport : {LinkTransport::Tcp, LinkTransport::Udp}) {
        const int port = FreeHostingPort(transport == LinkTransport::Udp);
        QTcpServer heldTcp;
        QUdpSocket heldUdp;
        ASSERT_TRUE(transport == LinkTransport::Tcp ? heldTcp.listen(QHostAddress::Any, port)
                                                    : heldUdp.bind(QHostAddress::Any, port));
        const auto refusal = MakeRelay(Plan(transport, LinkSide::Host, port))->Open();
        ASSERT_TRUE(refusal);
        EXPECT_NE(refusal->find("port " + std::to_string(port) + " is in use"), std::string::npos);
        EXPECT_NE(refusal->find("such as "), std::string::npos);
        const auto low = MakeRelay(Plan(transport, LinkSide::Host, 1023))->Open();
        ASSERT_TRUE(low);
        EXPECT_NE(low->find("1024 to 65535"), std::string::npos);
    }
}

// DOSBox on each side, over ::1 between the launchers: the caller's modem reaches its
// launcher, the host's launcher reaches the answering DOSBox, and bytes cross both ways.
TEST(Relay, TcpCarriesBytesBothWaysOverIpv6AndSaysWhenTheyCross) {
    const int port = FreeHostingPort(false);
    auto host = Opened(Plan(LinkTransport::Tcp, LinkSide::Host, port));
    EXPECT_TRUE(host->Progress().startsWith(
        QStringLiteral("Waiting for the other player on port %1 \u2014 tell: ").arg(port)));
    QTcpServer hostDosbox;
    ASSERT_TRUE(hostDosbox.listen(QHostAddress::LocalHost, host->DosboxPort()));
    auto join = Opened(Plan(LinkTransport::Tcp, LinkSide::Join, port, "::1", true));
    QSignalSpy joinUp(join.get(), &Relay::LinkUp);
    QTcpSocket caller;
    caller.connectToHost(QHostAddress::LocalHost, join->DosboxPort());
    caller.write("ATDT");
    ASSERT_TRUE(QTest::qWaitFor([&] { return hostDosbox.hasPendingConnections(); }, kBoundMs));
    QTcpSocket* answerer = hostDosbox.nextPendingConnection();
    EXPECT_EQ(ReadSome(*answerer), "ATDT");
    EXPECT_TRUE(host->IsUp());
    EXPECT_FALSE(join->IsUp()); // nothing has come from the answering side yet
    answerer->write("CONNECT");
    EXPECT_EQ(ReadSome(caller), "CONNECT");
    EXPECT_EQ(joinUp.count(), 1);
    EXPECT_EQ(join->Peer(), QStringLiteral("[::1]:%1").arg(port));
    EXPECT_TRUE(host->Peer().startsWith("[::1]:"));
    // The caller hangs up; the answering DOSBox sees the line drop.
    caller.disconnectFromHost();
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return answerer->state() == QAbstractSocket::UnconnectedState; }, kBoundMs));
}

// Each call the driver makes is one try; a refused port says so, hangs up on DOSBox
// and leaves the next call its own try.
TEST(Relay, ARefusedCallHangsUpOnDosboxAndTheNextCallTriesAgain) {
    RelayPlan plan = Plan(LinkTransport::Tcp, LinkSide::Join, FreeHostingPort(false));
    plan.driverCallsAgain = true;
    auto join = Opened(plan);
    QSignalSpy tries(join.get(), &Relay::TryFailed);
    QSignalSpy failed(join.get(), &Relay::Failed);
    for (int call = 1; call <= 2; ++call) {
        QTcpSocket modem;
        modem.connectToHost(QHostAddress::LocalHost, join->DosboxPort());
        EXPECT_TRUE(QTest::qWaitFor([&] { return tries.count() == call; }, kBoundMs));
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return modem.state() == QAbstractSocket::UnconnectedState; }, kBoundMs));
    }
    EXPECT_EQ(join->Failure(), QStringLiteral("Could not reach 127.0.0.1:%1: refused. Nothing "
                                              "takes the link on that port there; check that "
                                              "the other player is hosting and the port is right.")
                                   .arg(plan.remote.port));
    EXPECT_EQ(failed.count(), 0);
}

// A host whose backlog is full never answers: the try ends at its bound, and Cancel
// ends a try at once.
TEST(Relay, AHostThatNeverAnswersEndsTheTryAtItsBoundOrAtCancel) {
    if (!DeafHost::kPossible) {
        GTEST_SKIP() << "no silent host can be made on this system";
    }
    const DeafHost deaf;
    RelayPlan plan = Plan(LinkTransport::Tcp, LinkSide::Join, deaf.port);
    plan.tryMs = 1500;
    for (const bool cancel : {false, true}) {
        auto join = Opened(plan);
        QSignalSpy failed(join.get(), &Relay::Failed);
        QTcpSocket cable;
        cable.connectToHost(QHostAddress::LocalHost, join->DosboxPort());
        QTest::qWait(500);
        EXPECT_TRUE(join->Progress().startsWith(
            QStringLiteral("Joining 127.0.0.1:%1 ... ").arg(plan.remote.port)));
        QElapsedTimer clock;
        clock.start();
        if (cancel) {
            join->Close();
        }
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return cable.state() == QAbstractSocket::UnconnectedState; }, kBoundMs));
        EXPECT_LT(clock.elapsed(), cancel ? 200 : 1500);
        EXPECT_EQ(failed.count(), cancel ? 0 : 1);
        EXPECT_EQ(join->Failure().contains(": no answer in 1.5 s."), !cancel);
    }
}

struct TunnelClient {
    QUdpSocket socket;
    explicit TunnelClient(int port) {
        socket.bind(QHostAddress::LocalHost, 0);
        socket.writeDatagram("hello", QHostAddress::LocalHost, port);
    }
    QByteArray Receive() {
        EXPECT_TRUE(QTest::qWaitFor([&] { return socket.hasPendingDatagrams(); }, kBoundMs));
        return socket.receiveDatagram().data();
    }
};

// The host's tunnel server tells the players apart: each joins through a local end of
// its own, and the answers reach each.
TEST(Relay, TheTunnelHostGivesEachPlayerALocalEndOfItsOwn) {
    const int port = FreeHostingPort(true);
    auto host = Opened(Plan(LinkTransport::Udp, LinkSide::Host, port));
    QUdpSocket server;
    ASSERT_TRUE(server.bind(QHostAddress::LocalHost, host->DosboxPort()));
    auto first = Opened(Plan(LinkTransport::Udp, LinkSide::Join, port));
    auto second = Opened(Plan(LinkTransport::Udp, LinkSide::Join, port, "::1", true));
    TunnelClient one(first->DosboxPort());
    TunnelClient two(second->DosboxPort());
    std::set<quint16> players;
    while (players.size() < 2 &&
           QTest::qWaitFor([&] { return server.hasPendingDatagrams(); }, kBoundMs)) {
        const QNetworkDatagram datagram = server.receiveDatagram();
        EXPECT_EQ(datagram.data(), "hello");
        players.insert(datagram.senderPort());
        server.writeDatagram(QByteArray::number(datagram.senderPort()), datagram.senderAddress(),
                             datagram.senderPort());
    }
    ASSERT_EQ(players.size(), 2u);
    EXPECT_NE(one.Receive(), two.Receive());
    EXPECT_TRUE(first->IsUp() && second->IsUp() && host->IsUp());
}

// A tunnel join to a port nobody holds is refused; one to a host that hears but never
// answers (a firewall dropping the replies) ends at the bound of its try. On Windows,
// Qt's datagram sockets do not hear that a port is not held, so there both end so.
TEST(Relay, ATunnelJoinThatGetsNoAnswerEndsWithTheCause) {
    QUdpSocket silent;
    ASSERT_TRUE(silent.bind(QHostAddress::LocalHost, 0));
    for (const int port : {FreeHostingPort(true), static_cast<int>(silent.localPort())}) {
        RelayPlan plan = Plan(LinkTransport::Udp, LinkSide::Join, port);
        plan.tryMs = 1500;
        auto join = Opened(plan);
        QSignalSpy failed(join.get(), &Relay::Failed);
        TunnelClient client(join->DosboxPort());
        ASSERT_TRUE(QTest::qWaitFor([&] { return failed.count() == 1; }, kBoundMs));
#ifndef _WIN32
        if (port != silent.localPort()) {
            EXPECT_TRUE(join->Failure().contains(": refused.")) << join->Failure().toStdString();
            continue;
        }
#endif
        EXPECT_TRUE(join->Failure().contains(": no answer in 1.5 s."))
            << join->Failure().toStdString();
    }
    EXPECT_TRUE(silent.hasPendingDatagrams()); // it heard the tunnel's first datagram
}

} // namespace
} // namespace marloven
