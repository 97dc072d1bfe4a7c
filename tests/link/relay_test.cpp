// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/relay.h"

#include "tests/link/relay_test_parts.h"
#include "tests/support/deaf_host.h"
#include "tests/support/resident_memory.h"

#include <QElapsedTimer>
#include <QNetworkDatagram>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QUdpSocket>
#include <atomic>
#include <gtest/gtest.h>
#include <thread>

namespace marloven {
namespace {

using test::DeafHost;
using test::FreeHostingPort;
using test::Ipx;
using test::kBroadcast;
using test::kRegistration;
using test::Opened;
using test::Plan;
using test::ResidentKb;
using test::TunnelClient;

constexpr int kBoundMs = test::kRelayBoundMs;

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
    RelayPlan joining = Plan(LinkTransport::Tcp, LinkSide::Join, port, "::1", true);
    joining.code = host->Code();
    auto join = Opened(joining);
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
    // The caller hangs up right after its last megabyte: all of it reaches the answering
    // DOSBox before the line drops there.
    const QByteArray last = test::Pattern(1 << 20, 3);
    caller.write(last);
    caller.disconnectFromHost();
    EXPECT_TRUE(test::ReadAll(*answerer, last.size()) == last);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return answerer->state() == QAbstractSocket::UnconnectedState; }, kBoundMs));
}

// A wrong code, or a player who cancels the question for it, gets nothing through to
// the host's DOSBox, and the host waits on; the invited player's typed code links.
TEST(Relay, OnlyAJoinerThatProvesTheGameCodeReachesTheHostsDosbox) {
    RelayPlan hosting = Plan(LinkTransport::Tcp, LinkSide::Host, FreeHostingPort(false));
    auto host = Opened(hosting);
    QTcpServer hostDosbox;
    ASSERT_TRUE(hostDosbox.listen(QHostAddress::LocalHost, host->DosboxPort()));
    const auto join = [&](std::optional<GameCode> code, std::optional<GameCode> typed) {
        RelayPlan joining = Plan(LinkTransport::Tcp, LinkSide::Join, hosting.publicPort);
        joining.code = code;
        auto relay = Opened(joining);
        relay->AskCodeWith([typed] { return typed; });
        auto* dosbox = new QTcpSocket(relay.get());
        dosbox->connectToHost(QHostAddress::LocalHost, relay->DosboxPort());
        dosbox->write("ATDT");
        return relay;
    };
    auto wrong = join(ParseGameCode("0000-0000"), std::nullopt);
    auto cancelled = join(std::nullopt, std::nullopt);
    for (Relay* relay : {wrong.get(), cancelled.get()}) {
        EXPECT_TRUE(QTest::qWaitFor([&] { return !relay->Failure().isEmpty(); }, kBoundMs));
    }
    EXPECT_TRUE(wrong->Failure().contains("did not take the game code"));
    EXPECT_TRUE(cancelled->Failure().contains("asks for its game code, and none was given"));
    EXPECT_EQ(StrangersText(host->StrangersTurnedAway()), "1 stranger turned away");
    EXPECT_FALSE(hostDosbox.hasPendingConnections() || host->IsUp());
    auto invited = join(std::nullopt, host->Code());
    ASSERT_TRUE(QTest::qWaitFor([&] { return hostDosbox.hasPendingConnections(); }, kBoundMs));
    EXPECT_EQ(ReadSome(*hostDosbox.nextPendingConnection()), "ATDT");
#ifdef __linux__
    // A direct link's round trip is the system's measure of the connection.
    EXPECT_TRUE(QTest::qWaitFor([&] { return host->RoundTripMs() >= 0; }, 3000));
    EXPECT_EQ(host->Path(), "direct");
#endif
}

// Hosting a cable, DOSBox reaches the launcher on 127.0.0.1 once, at its start: a
// caller who leaves before sending anything leaves that connection for the next. A
// peer that sends faster than DOSBox takes waits in the systems' buffers, not in the
// launcher's memory: 300 MB flooded at a DOSBox that first takes nothing, then takes
// all, leave the launcher's memory where it was.
TEST(Relay, AFloodOfTheHostingPortLeavesTheLaunchersMemoryFlat) {
    const int port = FreeHostingPort(false);
    RelayPlan plan = Plan(LinkTransport::Tcp, LinkSide::Host, port);
    plan.dosboxConnects = true;
    plan.plainPeersJoin = true; // the flood is carried as plain DOSBox would be
    auto host = Opened(plan);
    constexpr qint64 kFlood = 300LL << 20;
    const long before = ResidentKb();
    long most = before;
    std::atomic<qint64> taken = 0;
    std::atomic<bool> taking = false;
    std::thread dosbox([&, dosboxPort = host->DosboxPort()] {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, dosboxPort);
        socket.waitForConnected(kBoundMs);
        while (taken < kFlood && socket.state() == QAbstractSocket::ConnectedState) {
            if (!taking || !socket.waitForReadyRead(100)) {
                std::this_thread::sleep_for(std::chrono::milliseconds(taking ? 0 : 50));
                continue;
            }
            taken += socket.readAll().size();
        }
    });
    QTest::qWait(200);
    {
        QTcpSocket silent;
        silent.connectToHost(QHostAddress::LocalHost, port);
        EXPECT_TRUE(silent.waitForConnected(kBoundMs));
        QTest::qWait(100);
    }
    QTest::qWait(100);
    std::atomic<qint64> sent = 0;
    std::thread stranger([&] {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, port);
        socket.waitForConnected(kBoundMs);
        const QByteArray chunk(1 << 20, 'x');
        while (sent < kFlood && socket.state() == QAbstractSocket::ConnectedState) {
            if (socket.bytesToWrite() > 0) {
                socket.waitForBytesWritten(100);
                continue;
            }
            sent += socket.write(chunk);
        }
        socket.waitForDisconnected(1000);
    });
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 2000) {
        QTest::qWait(50);
        most = std::max(most, ResidentKb());
    }
    const qint64 sentWhileStalled = sent;
    taking = true;
    while (taken < kFlood && clock.elapsed() < 120000) {
        QTest::qWait(50);
        most = std::max(most, ResidentKb());
    }
    host->Close();
    stranger.join();
    dosbox.join();
    std::printf("flood: %lld MB passed, %lld MB sent while DOSBox took nothing; memory %ld MB "
                "before, %ld MB at most\n",
                static_cast<long long>(taken >> 20), static_cast<long long>(sentWhileStalled >> 20),
                before >> 10, most >> 10);
    EXPECT_EQ(taken, kFlood);
    EXPECT_LT(sentWhileStalled, 32LL << 20);
    EXPECT_LT(most - before, 20 * 1024);
}

#ifndef MARLOVEN_MEETING_PLACE
// A build without the meeting place (Windows, for now) hosts on its public port alone and
// says so; a join whose direct try is refused fails saying why it went no further.
TEST(Relay, ABuildWithoutTheMeetingPlaceSaysSoOnBothSides) {
    const LinkAddress meetingPlace{"meet.example.org", 1883, false};
    const QString none = QStringLiteral("there is no meeting place in this build of Marloven");
    RelayPlan hosting = Plan(LinkTransport::Tcp, LinkSide::Host, FreeHostingPort(false));
    hosting.meetingPlace = meetingPlace;
    auto host = Opened(hosting);
    EXPECT_TRUE(host->Progress().endsWith("; not at the meeting place: " + none));
    RelayPlan joining = Plan(LinkTransport::Tcp, LinkSide::Join, FreeHostingPort(false));
    joining.meetingPlace = meetingPlace;
    joining.code = host->Code();
    auto join = Opened(joining);
    QTcpSocket dosbox;
    dosbox.connectToHost(QHostAddress::LocalHost, join->DosboxPort());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !join->Failure().isEmpty(); }, kBoundMs));
    EXPECT_EQ(join->Failure(), QStringLiteral("Could not reach 127.0.0.1:%1 directly (refused), "
                                              "nor through the meeting place at "
                                              "meet.example.org: %2.")
                                   .arg(joining.remote.port)
                                   .arg(none));
}
#endif

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

// The launcher is the host's tunnel server, DOSBox's tunnel its client on 127.0.0.1:
// it names each player, passes what is sent to one node or to all. Sources that never
// prove their address (forged ones, on other machines' behalf) take no slot, however
// many, and get back at most what they sent.
TEST(Relay, TheTunnelHostPassesEachPlayersDatagramsToTheNodesTheyName) {
    const int port = FreeHostingPort(true);
    auto host = Opened(Plan(LinkTransport::Udp, LinkSide::Host, port));
    TunnelClient hostDosbox(host->DosboxPort());
    std::vector<std::unique_ptr<QUdpSocket>> forged;
    qint64 sent = 0;
    for (int source = 2; source < 2 + Relay::kMostPlayers; ++source) {
        auto& socket = forged.emplace_back(std::make_unique<QUdpSocket>());
        ASSERT_TRUE(socket->bind(QHostAddress(QStringLiteral("127.0.0.%1").arg(source)), 0));
        for (const QByteArray& datagram : {kRegistration, Ipx(kBroadcast, 0x45, "flood")}) {
            sent += socket->writeDatagram(datagram, QHostAddress::LocalHost, port);
        }
    }
    RelayPlan firstPlan = Plan(LinkTransport::Udp, LinkSide::Join, port);
    RelayPlan secondPlan = Plan(LinkTransport::Udp, LinkSide::Join, port, "::1", true);
    firstPlan.code = secondPlan.code = host->Code();
    auto first = Opened(firstPlan);
    auto second = Opened(secondPlan);
    TunnelClient one(first->DosboxPort());
    TunnelClient two(second->DosboxPort());
    QUdpSocket stranger;
    stranger.bind(QHostAddress::LocalHost, 0);
    stranger.writeDatagram(Ipx(kBroadcast, 0x45, "who"), QHostAddress::LocalHost, port);
    test::ExpectEachDatagramAtItsNodes(hostDosbox, one, two);
    QTest::qWait(200);
    EXPECT_FALSE(hostDosbox.socket.hasPendingDatagrams()); // the stranger's never came
    EXPECT_FALSE(one.socket.hasPendingDatagrams());
    EXPECT_FALSE(stranger.hasPendingDatagrams());
    EXPECT_TRUE(first->IsUp() && second->IsUp() && host->IsUp());
    qint64 reflected = 0;
    for (const auto& socket : forged) {
        while (socket->hasPendingDatagrams()) {
            reflected += socket->receiveDatagram().data().size();
        }
    }
    std::printf("tunnel: %lld bytes from %d unproven sources, %lld sent back\n",
                static_cast<long long>(sent), Relay::kMostPlayers,
                static_cast<long long>(reflected));
    EXPECT_LE(reflected, sent / 2); // only the registrations are answered, no larger
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
        TunnelClient client(join->DosboxPort(), false);
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
