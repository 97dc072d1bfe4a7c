// SPDX-License-Identifier: GPL-3.0-or-later
// The hosting port on the router as the launcher keeps it: asked only when the player
// lets it and the start hosts, noted in the settings while it lasts, removed at the end
// and after a crash.
#include "launcher/launcher_settings.h"
#include "launcher/router_port.h"
#include "link/relay.h"
#include "os/capped_exchange.h"
#include "tests/support/scratch_settings.h"
#include "tests/support/scripted_router.h"

#include <QCoreApplication>
#include <QNetworkDatagram>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUdpSocket>
#include <gtest/gtest.h>

#include <atomic>
#include <ctime>
#include <future>
#include <thread>

namespace marloven {
namespace {

using test::Calls;
using test::Scripted;

InternetLink Hosting(LaunchMode mode, int port) {
    return {mode, 0, LinkSide::Host, {{}, port, false}};
}

QString Noted(const LauncherSettings& settings) {
    return settings.Get(LauncherKey::RouterMapping).toString();
}

// The answer as the link window reads it, polled within a bound.
std::optional<RouterAnswer> AnswerOf(RouterPort& port) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!port.Answer() && std::chrono::steady_clock::now() < until) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return port.Answer();
}

TEST(RouterPort, AHostingStartOpensTheRelaysPortNotesItAndRemovesItAtTheEnd) {
    test::ScratchSettings settings;
    settings.Set(LauncherKey::RouterAsk, true);
    auto calls = std::make_shared<Calls>();
    const InternetLink link = Hosting(LaunchMode::Network, 2130);
    const auto relay = MakeRelay(PlanRelay(link));
    {
        auto port =
            AskRouterFor(settings, link, *relay,
                         Scripted(calls, {{RouterOutcome::Opened, std::chrono::milliseconds(0)}}));
        ASSERT_TRUE(port);
        ASSERT_TRUE(AnswerOf(*port));
        EXPECT_EQ(port->Words(), QString::fromUtf8("Tell: 198.20.23.1:2130 \u2014 opened on your "
                                                   "router (UPnP)."));
        const auto invitation = port->RouterInvitation();
        ASSERT_TRUE(invitation);
        EXPECT_EQ(InvitationLink(*invitation),
                  "marloven://join?start=network&address=198.20.23.1&port=2130");
        EXPECT_TRUE(Noted(settings).startsWith("upnp udp 2130 2130 192.168.77.2 "));
    }
    EXPECT_EQ(calls->removes, 1);
    EXPECT_TRUE(Noted(settings).isEmpty());
}

TEST(RouterPort, NothingIsAskedWhenThePlayerSaidNoOrTheStartDoesNotHost) {
    test::ScratchSettings settings;
    settings.Set(LauncherKey::RouterAsk, true);
    InternetLink joining = Hosting(LaunchMode::AlreadyConnected, 2324);
    joining.side = LinkSide::Join;
    for (const auto& link : {joining, Hosting(LaunchMode::Dial, 0)}) {
        EXPECT_FALSE(AskRouterFor(settings, link, *MakeRelay(PlanRelay(link))));
    }
    settings.Set(LauncherKey::RouterAsk, false);
    const InternetLink answering = Hosting(LaunchMode::Answer, 2323);
    EXPECT_FALSE(AskRouterFor(settings, answering, *MakeRelay(PlanRelay(answering))));
}

// A NAT-PMP router of the test's own on 127.0.0.1, on a thread of its own: it answers
// each question with the datagrams its script makes of it.
class NatPmpStandIn {
  public:
    using Script = std::function<std::vector<QByteArray>(const QByteArray& question)>;
    explicit NatPmpStandIn(Script script) {
        std::promise<int> bound;
        port = bound.get_future();
        thread_ = std::thread([this, script, bound = std::move(bound)]() mutable {
            QUdpSocket socket;
            socket.bind(QHostAddress::LocalHost, 0);
            bound.set_value(socket.localPort());
            while (!stop_) {
                while (socket.waitForReadyRead(20) || socket.hasPendingDatagrams()) {
                    const QNetworkDatagram question = socket.receiveDatagram();
                    for (const QByteArray& answer : script(question.data())) {
                        socket.writeDatagram(answer, question.senderAddress(),
                                             static_cast<quint16>(question.senderPort()));
                    }
                }
            }
        });
    }
    ~NatPmpStandIn() {
        stop_ = true;
        thread_.join();
    }
    std::future<int> port;

  private:
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

QByteArray Datagram(std::initializer_list<int> bytes) {
    QByteArray datagram;
    for (const int byte : bytes) {
        datagram.append(static_cast<char>(byte));
    }
    return datagram;
}

// NAT-PMP's answer to a mapping of `internal` (bytes 4 and 5 of the question), for an
// hour.
QByteArray Mapped(int internal, int external) {
    return Datagram({0, 130, 0, 0, 0, 0, 0, 1, internal >> 8, internal & 255, external >> 8,
                     external & 255, 0, 0, 0x0e, 0x10});
}

// Too short, another version, and the late answer to another port's mapping come
// before the answer to the question; a router that says nothing else is no router.
TEST(RouterPort, ARouterThatAnswersGarbageIsHeardOnlyWhereItAnswersTheQuestion) {
    const QByteArray address = Datagram({0, 128, 0, 0, 0, 0, 0, 1, 198, 20, 23, 1});
    for (const bool garbageOnly : {false, true}) {
        NatPmpStandIn router([&](const QByteArray& question) {
            std::vector<QByteArray> answers{Datagram({0}), "\1" + address.mid(1)};
            if (garbageOnly) {
                return answers;
            }
            if (question.size() == 2) {
                answers.push_back(address);
                return answers;
            }
            const int port = (static_cast<unsigned char>(question[4]) << 8) |
                             static_cast<unsigned char>(question[5]);
            answers.insert(answers.end(), {Mapped(port + 1, 9999), Mapped(port, port)});
            return answers;
        });
        test::ScratchSettings settings;
        MappingOptions options;
        options.routers = [port = router.port.get()] {
            std::vector<std::unique_ptr<HomeRouter>> routers;
            routers.push_back(MakeNatPmpRouterAt("127.0.0.1", port));
            return routers;
        };
        RouterPort mapped(settings, InvitationStart::Cable, {PortProtocol::Tcp, 2324}, options);
        const auto answer = AnswerOf(mapped);
        ASSERT_TRUE(answer);
        EXPECT_EQ(answer->outcome, garbageOnly ? RouterOutcome::NoRouter : RouterOutcome::Opened);
        if (!garbageOnly) {
            EXPECT_EQ(mapped.Words().toStdString(),
                      "Tell: 198.20.23.1:2324 \u2014 opened on your router (NAT-PMP).");
        }
    }
}

MappingOptions NatPmpAt(int port) {
    MappingOptions options;
    options.routers = [port] {
        std::vector<std::unique_ptr<HomeRouter>> routers;
        routers.push_back(MakeNatPmpRouterAt("127.0.0.1", port));
        return routers;
    };
    return options;
}

// A router that grants a second is asked again within seconds, not at half the hour
// asked for; one that grants port 0 or no time at all has opened nothing.
TEST(RouterPort, ANatPmpGrantIsTakenAsGrantedAndRenewedAtHalfOfIt) {
    const QByteArray address = Datagram({0, 128, 0, 0, 0, 0, 0, 1, 198, 20, 23, 1});
    struct Grant {
        int external;
        int lifetime;
        bool opened;
    };
    for (const Grant grant : {Grant{2324, 1, true}, Grant{0, 3600, false}, Grant{2324, 0, false}}) {
        std::atomic<int> mappings{0};
        NatPmpStandIn router([&](const QByteArray& question) {
            if (question.size() == 2) {
                return std::vector<QByteArray>{address};
            }
            ++mappings;
            return std::vector<QByteArray>{
                Datagram({0, 130, 0, 0, 0, 0, 0, 1, question[4] & 255, question[5] & 255,
                          grant.external >> 8, grant.external & 255, 0, 0, 0, grant.lifetime})};
        });
        test::ScratchSettings settings;
        RouterPort mapped(settings, InvitationStart::Cable, {PortProtocol::Tcp, 2324},
                          NatPmpAt(router.port.get()));
        const auto answer = AnswerOf(mapped);
        ASSERT_TRUE(answer);
        EXPECT_EQ(answer->outcome == RouterOutcome::Opened, grant.opened) << grant.external;
        if (grant.opened) {
            const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(6);
            while (mappings < 3 && std::chrono::steady_clock::now() < until) {
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
            EXPECT_GE(mappings, 3);
        }
    }
}

// The router grants a second, then falls silent: the window is told, Cancel (the
// port's end) waits no more than the bound, and the record a crash left before this
// start stays, as nothing removed it.
TEST(RouterPort, ARouterGoneSilentIsToldAndCostsCancelNoMoreThanTheBound) {
    const QByteArray address = Datagram({0, 128, 0, 0, 0, 0, 0, 1, 198, 20, 23, 1});
    std::atomic<bool> silent{false};
    std::atomic<int> unheard{0};
    NatPmpStandIn router([&](const QByteArray& question) {
        if (silent) {
            ++unheard;
            return std::vector<QByteArray>{};
        }
        silent = question.size() > 2;
        return std::vector<QByteArray>{
            question.size() == 2 ? address : Mapped(2324, 2324).left(12) + Datagram({0, 0, 0, 1})};
    });
    const int routerPort = router.port.get();
    test::ScratchSettings settings;
    const auto later = static_cast<long long>(std::time(nullptr)) + 3600;
    const QString crashed = "upnp tcp 2323 2323 192.168.77.2 " + QString::number(later);
    settings.Set(LauncherKey::RouterMapping, crashed);
    auto mapped =
        std::make_unique<RouterPort>(settings, InvitationStart::Cable,
                                     PortRequest{PortProtocol::Tcp, 2324}, NatPmpAt(routerPort));
    ASSERT_TRUE(AnswerOf(*mapped));
    EXPECT_TRUE(Noted(settings).startsWith(crashed + "; natpmp tcp 2324 2324"));
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(8);
    while (!mapped->Words().contains("no longer answers") &&
           std::chrono::steady_clock::now() < until) {
        QCoreApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_EQ(mapped->Words(), "The router no longer answers: the port may close.");
    // Cancelled while the next renewal waits for its answer.
    const int before = unheard;
    while (unheard == before && std::chrono::steady_clock::now() < until) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    const auto cancelled = std::chrono::steady_clock::now();
    mapped.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - cancelled,
              kRouterBound + std::chrono::milliseconds(300));
    EXPECT_TRUE(Noted(settings).startsWith(crashed));

    // A start that maps nothing leaves the record alone.
    MappingOptions nothing = NatPmpAt(routerPort);
    nothing.bound = std::chrono::milliseconds(200);
    {
        RouterPort unmapped(settings, InvitationStart::Cable, {PortProtocol::Tcp, 2325}, nothing);
        ASSERT_TRUE(AnswerOf(unmapped));
    }
    EXPECT_TRUE(Noted(settings).startsWith(crashed));
}

// A device on the home network that describes itself at length is read no further
// than the cap allows, its bytes never held; a gateway's few KB are read whole.
TEST(RouterPort, ADeviceSendingMoreThanTheCapIsNotReadFurther) {
    for (const int size : {6000, 4 << 20}) {
        std::promise<int> listening;
        std::thread device([&] {
            QTcpServer server;
            server.listen(QHostAddress::LocalHost, 0);
            listening.set_value(server.serverPort());
            if (!server.waitForNewConnection(5000)) {
                return;
            }
            QTcpSocket* peer = server.nextPendingConnection();
            peer->waitForReadyRead(5000);
            const QByteArray chunk(64 * 1024, 'x');
            for (int sent = 0; sent < size && peer->state() == QTcpSocket::ConnectedState;
                 sent += chunk.size()) {
                peer->write(chunk.left(std::min<int>(chunk.size(), size - sent)));
                peer->waitForBytesWritten(1000);
            }
            peer->disconnectFromHost();
            if (peer->state() != QTcpSocket::UnconnectedState) {
                peer->waitForDisconnected(2000);
            }
        });
        const auto reply =
            ExchangeCapped("127.0.0.1", listening.get_future().get(), "GET / HTTP/1.0\r\n\r\n",
                           72 * 1024, std::chrono::steady_clock::now() + std::chrono::seconds(5));
        device.join();
        EXPECT_EQ(reply.has_value(), size < 72 * 1024) << size;
        if (reply) {
            EXPECT_EQ(reply->bytes.size(), static_cast<std::size_t>(size));
            EXPECT_EQ(reply->localAddress, "127.0.0.1");
        }
    }
}

TEST(RouterPort, WhatACrashLeftIsRemovedAtTheNextStartAndKeptWhileTheRouterIsSilent) {
    test::ScratchSettings settings;
    auto calls = std::make_shared<Calls>();
    const auto later = static_cast<long long>(std::time(nullptr)) + 3600;
    const QString left = "upnp tcp 2323 2323 192.168.77.2 " + QString::number(later);
    settings.Set(LauncherKey::RouterMapping, left);
    calls->removable = false;
    RemoveLeftoverMapping(settings,
                          Scripted(calls, {{RouterOutcome::Opened, std::chrono::milliseconds(0)}}));
    EXPECT_EQ(Noted(settings), left);

    calls->removable = true;
    RemoveLeftoverMapping(settings,
                          Scripted(calls, {{RouterOutcome::Opened, std::chrono::milliseconds(0)}}));
    EXPECT_TRUE(Noted(settings).isEmpty());
    EXPECT_EQ(calls->removes, 2);

    settings.Set(LauncherKey::RouterMapping, QStringLiteral("garbage"));
    RemoveLeftoverMapping(settings,
                          Scripted(calls, {{RouterOutcome::Opened, std::chrono::milliseconds(0)}}));
    EXPECT_TRUE(Noted(settings).isEmpty());
}

} // namespace
} // namespace marloven
