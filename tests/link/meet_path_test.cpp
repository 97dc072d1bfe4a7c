// SPDX-License-Identifier: GPL-3.0-or-later
// The link through the meeting place: relays on both sides, a real mosquitto on
// 127.0.0.1 between them, and stand-ins for DOSBox's ends.
#include "link/relay.h"

#include "tests/link/relay_test_parts.h"
#include "tests/meet/test_broker.h"
#include "tests/support/deaf_host.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTcpSocket>
#include <gtest/gtest.h>
#include <iostream>

namespace marloven {
namespace {

using test::FreeHostingPort;
using test::Opened;
using test::Pattern;
using test::Plan;
using test::ReadAll;
using test::Spin;
using test::TunnelClient;

// A plan whose direct path goes to `port` and which names the broker as its meeting place.
RelayPlan ByBroker(LinkTransport transport, LinkSide side, int port, const TestBroker& broker) {
    RelayPlan plan = Plan(transport, side, port);
    plan.meetingPlace = LinkAddress{"127.0.0.1", broker.Port(), false};
    return plan;
}

// Hosting: the game is taken at the meeting place, which the player is told.
bool AtMeetingPlace(const Relay& host) {
    return host.Progress().endsWith(QStringLiteral(", and at the meeting place at 127.0.0.1"));
}

// A hosted cable, and a joiner whose direct try goes to `directPort` (0: a port nobody
// holds, which refuses it; -1: no address at all, the game chosen from the meeting place's
// list): both DOSBox stand-ins connected, and the time from the joiner's call to the
// host's first bytes at its DOSBox.
struct CableGame {
    CableGame(const TestBroker& broker, int directPort, int tryMs = 10000) {
        RelayPlan hosting =
            ByBroker(LinkTransport::Tcp, LinkSide::Host, FreeHostingPort(false), broker);
        hosting.dosboxConnects = true;
        host = Opened(hosting);
        hostDosbox.connectToHost(QHostAddress::LocalHost, host->DosboxPort());
        EXPECT_TRUE(Spin([this] { return AtMeetingPlace(*host); }));
        RelayPlan joining = ByBroker(LinkTransport::Tcp, LinkSide::Join,
                                     directPort != 0 ? directPort : FreeHostingPort(false), broker);
        joining.code = host->Code();
        joining.tryMs = tryMs;
        if (directPort < 0) {
            joining.remote.host.clear();
        }
        join = Opened(joining);
        QElapsedTimer clock;
        clock.start();
        joinDosbox.connectToHost(QHostAddress::LocalHost, join->DosboxPort());
        joinDosbox.write("ATDT");
        EXPECT_EQ(ReadAll(hostDosbox, 4), "ATDT");
        hostDosbox.write("CONNECT");
        EXPECT_EQ(ReadAll(joinDosbox, 7), "CONNECT");
        joinToLinkedMs = clock.elapsed();
        EXPECT_TRUE(join->IsUp() && host->IsUp());
    }

    std::unique_ptr<Relay> host;
    std::unique_ptr<Relay> join;
    QTcpSocket hostDosbox;
    QTcpSocket joinDosbox;
    qint64 joinToLinkedMs = -1;
};

// Each test has a real mosquitto of its own on 127.0.0.1.
class MeetingPlaceRelay : public ::testing::Test {
  protected:
    void SetUp() override {
        SKIP_WITHOUT_MOSQUITTO();
        ASSERT_TRUE(broker_.Start()) << broker_.Log().toStdString();
    }

    TestBroker broker_;
};

// The host's public port refuses the joiner (a router that does not forward it): the
// cable goes through the meeting place, a megabyte each way arrives whole and in order,
// also one sent just before hanging up, and both sides say which way it went and how
// long a round trip takes.
TEST_F(MeetingPlaceRelay, ARefusedCableGoesThroughTheMeetingPlaceLosingNothing) {
    CableGame game(broker_, 0);
    ASSERT_TRUE(game.join->IsUp());
    const QString path = QStringLiteral("through the meeting place at 127.0.0.1");
    EXPECT_EQ(game.join->Path(), path);
    EXPECT_EQ(game.host->Path(), path);
    EXPECT_EQ(game.host->Peer(), QStringLiteral("a player through the meeting place at 127.0.0.1"));

    const QByteArray fromJoiner = Pattern(1 << 20, 1);
    const QByteArray fromHost = Pattern(1 << 20, 2);
    QElapsedTimer clock;
    clock.start();
    game.joinDosbox.write(fromJoiner);
    game.hostDosbox.write(fromHost);
    const QByteArray atHost = ReadAll(game.hostDosbox, fromJoiner.size());
    const QByteArray atJoiner = ReadAll(game.joinDosbox, fromHost.size());
    const qint64 carriedMs = clock.elapsed();
    EXPECT_TRUE(atHost == fromJoiner) << atHost.size();
    EXPECT_TRUE(atJoiner == fromHost) << atJoiner.size();
    // Two pings measured with the channel idle: the round trip stands or changes.
    QSignalSpy changes(game.join.get(), &Relay::PathChanged);
    Spin([&] { return changes.count() >= 2; }, 2100);
    EXPECT_GE(game.join->RoundTripMs(), 0);
    std::cout << "cable through the meeting place: join to linked " << game.joinToLinkedMs
              << " ms (direct try refused), 1 MiB each way in " << carriedMs << " ms, round trip "
              << game.join->RoundTripMs() << " ms\n";

    // The host hangs up right after its last megabyte: all of it reaches the joiner's
    // DOSBox before the line drops there.
    game.hostDosbox.write(fromHost);
    game.hostDosbox.disconnectFromHost();
    const QByteArray last = ReadAll(game.joinDosbox, fromHost.size());
    EXPECT_TRUE(last == fromHost) << last.size() << " of " << fromHost.size();
    EXPECT_TRUE(Spin([&] { return game.joinDosbox.state() == QAbstractSocket::UnconnectedState; }));
}

// A joiner's DOSBox that stops taking what the host sends (a host sending far past the
// serial port's speed) ends the link instead of having it held without bound.
TEST_F(MeetingPlaceRelay, WhatDosboxDoesNotTakeIsNotHeldWithoutBound) {
    CableGame game(broker_, 0);
    ASSERT_TRUE(game.join->IsUp());
    game.joinDosbox.setReadBufferSize(1);
    // The joiner's DOSBox is not read, so it cannot see its end hang up: the host's does.
    game.hostDosbox.write(Pattern(32 << 20, 3));
    EXPECT_TRUE(
        Spin([&] { return game.hostDosbox.state() == QAbstractSocket::UnconnectedState; }, 60000))
        << "32 MiB sent and still carried";
}

// A host that never answers directly (a firewall dropping the call) is reached through
// the meeting place once the direct try's bound has passed; without a host there either,
// the join fails naming both ways.
TEST_F(MeetingPlaceRelay, AJoinWhoseDirectTryGetsNoAnswerFallsBackToTheMeetingPlace) {
    if (!test::DeafHost::kPossible) {
        GTEST_SKIP() << "no silent host can be made on this system";
    }
    const test::DeafHost deaf;
    {
        CableGame game(broker_, deaf.port, 1500);
        ASSERT_TRUE(game.join->IsUp());
        EXPECT_EQ(game.join->Path(), QStringLiteral("through the meeting place at 127.0.0.1"));
        std::cout << "join to linked with a direct try unanswered for 1.5 s: "
                  << game.joinToLinkedMs << " ms\n";
        // Direct first, for its whole bound (a coarse timer may end it a little early).
        EXPECT_GE(game.joinToLinkedMs, 1000);
    }
    {
        // Chosen from the list: no direct try to wait for.
        CableGame game(broker_, -1, 10000);
        ASSERT_TRUE(game.join->IsUp());
        EXPECT_LT(game.joinToLinkedMs, 5000);
        std::cout << "join to linked for a game chosen from the list: " << game.joinToLinkedMs
                  << " ms\n";
    }
    RelayPlan alone = ByBroker(LinkTransport::Tcp, LinkSide::Join, deaf.port, broker_);
    alone.code = ParseGameCode("K7PW-2QXM");
    alone.tryMs = 1000;
    auto join = Opened(alone);
    QTcpSocket dosbox;
    dosbox.connectToHost(QHostAddress::LocalHost, join->DosboxPort());
    ASSERT_TRUE(Spin([&] { return !join->Failure().isEmpty(); }));
    EXPECT_EQ(join->Failure(),
              QStringLiteral("Could not reach 127.0.0.1:%1 directly (no answer in 1 s), nor "
                             "through the meeting place at 127.0.0.1: the host did not answer "
                             "there in 1 s.")
                  .arg(deaf.port));
    EXPECT_TRUE(Spin([&] { return dosbox.state() == QAbstractSocket::UnconnectedState; }));
}

// Two joiners reach the host's tunnel through the meeting place, one whose direct try is
// refused and one who chose the game from the list: each is a player of its own there, broadcasts
// reach everyone and a datagram for one node reaches that player only.
TEST_F(MeetingPlaceRelay, ThreeTunnelPlayersThroughTheMeetingPlaceReachTheRightPlayers) {
    auto host =
        Opened(ByBroker(LinkTransport::Udp, LinkSide::Host, FreeHostingPort(true), broker_));
    QSignalSpy linked(host.get(), &Relay::PlayersLinked);
    TunnelClient hostDosbox(host->DosboxPort());
    ASSERT_TRUE(Spin([&] { return AtMeetingPlace(*host); }));
    RelayPlan joining =
        ByBroker(LinkTransport::Udp, LinkSide::Join, FreeHostingPort(true), broker_);
    joining.code = host->Code();
    // Windows does not report a datagram to a port nobody holds as refused: there the
    // direct try ends at its bound, which must lie within the tunnel client's.
    joining.tryMs = 1500;
    auto first = Opened(joining);
    joining.remote.host.clear();
    auto second = Opened(joining);
    QElapsedTimer clock;
    clock.start();
    TunnelClient one(first->DosboxPort());
    TunnelClient two(second->DosboxPort());
    const qint64 joinToLinkedMs = clock.elapsed();
    test::ExpectEachDatagramAtItsNodes(hostDosbox, one, two);
    two.Send(hostDosbox.node, "only host");
    EXPECT_TRUE(hostDosbox.Receive().endsWith("only host"));
    QTest::qWait(300);
    EXPECT_FALSE(one.socket.hasPendingDatagrams());
    EXPECT_FALSE(hostDosbox.socket.hasPendingDatagrams());
    EXPECT_TRUE(first->IsUp() && second->IsUp() && host->IsUp());
    // Each counted once, for the places the host's offer still has.
    ASSERT_EQ(linked.count(), 2);
    EXPECT_EQ(linked.last().at(0).toInt(), 2);
    EXPECT_EQ(first->Path(), QStringLiteral("through the meeting place at 127.0.0.1"));
    EXPECT_EQ(host->Path(), QStringLiteral("through the meeting place at 127.0.0.1"));
    EXPECT_TRUE(Spin([&] { return second->RoundTripMs() >= 0; }));
    std::cout << "tunnel through the meeting place: two joiners registered in " << joinToLinkedMs
              << " ms (after their direct tries)\n";
}

} // namespace
} // namespace marloven
