// SPDX-License-Identifier: GPL-3.0-or-later
// Launchers on two systems play each other over 127.0.0.1, as two friends on Windows
// and Linux would: this test program plays one side, and the other side of the same
// test is played by another test program it starts, named with its arguments in
// MARLOVEN_PEER_PROGRAM (scripts/check-windows names the Windows build's under Wine);
// when that is unset, by this very program in a process of its own. The side the
// started program plays comes in MARLOVEN_PEER_SIDE, "host PORT" or "join PORT"; a
// hosting one says "peer hosting" on its output once its link is open, so that the
// other joins only then.

#include "tests/integration/players.h"

#include "ui/dialogs/phonebook_entry_dialog.h"
#include "ui/dialogs/pick_opponent_dialog.h"
#include "ui/dialogs/players_dialog.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTest>
#include <QTreeWidget>
#include <cstdio>

namespace marloven::test {
namespace {

constexpr int kPeerBoundMs = 3 * kDosboxBoundMs;
constexpr char kHosting[] = "peer hosting";

// A start of one kind: hosting when `address` is empty, else joining the host there.
using Start = std::function<void(Player&, const QString& address, int port)>;

// Whether something holds the port: it cannot be had without sharing. (The try takes
// the port for a moment; a DOSBox binding it in that moment would fail, a chance of about
// one in ten thousand while the host starts.)
bool Held(Protocol protocol, int port) {
    if (protocol == Protocol::Tcp) {
        QTcpServer server;
        return !server.listen(QHostAddress::Any, static_cast<quint16>(port));
    }
    QUdpSocket socket;
    return !socket.bind(QHostAddress::Any, static_cast<quint16>(port),
                        QAbstractSocket::DontShareAddress);
}

// The code the host's Link window shows, which a joiner types when asked.
QString ShownCode(const Player& host) {
    return host.window ? host.window->gameCodeLabel->text().section(' ', 2) : QString();
}

class TwoSystems : public InternetPlay {
  protected:
    // Plays `start` with the other program: the side MARLOVEN_PEER_SIDE names when this
    // program is the one started, else this side hosts when `hostHere` holds. Each side
    // must have met the other (`peer` on the hosting side, `hostPeer` on the joining
    // side, as the driver names the other's start).
    void PlayAcross(const Start& start, bool hostHere, const char* peer, const char* hostPeer,
                    Protocol protocol) {
        guest_.reset(); // one launcher on each side
        Player& me = *host_;
        const QByteArray given = qgetenv("MARLOVEN_PEER_SIDE");
        if (!given.isEmpty()) {
            const QList<QByteArray> side = given.split(' ');
            ASSERT_EQ(side.size(), 2) << given.toStdString();
            const bool hosts = side[0] == "host";
            const int port = side[1].toInt();
            // Hosting, the port is held once the link is open (or, for the modem's
            // answer, once DOSBox listens on it itself).
            const WhenReady open([&] { return hosts && Held(protocol, port); },
                                 [&] {
                                     if (hosts) {
                                         std::printf("%s %s\n", kHosting,
                                                     qPrintable(ShownCode(me)));
                                         std::fflush(stdout);
                                     }
                                 });
            if (!hosts) {
                me.launcher.prompter.textAnswers.push_back(
                    qEnvironmentVariable("MARLOVEN_PEER_CODE"));
            }
            start(me, hosts ? QString() : QString("127.0.0.1"), port);
            ExpectLinked(me.Log(), hosts ? peer : hostPeer);
            return;
        }

        const int port = FreePort(protocol);
        QProcess other;
        other.setProcessChannelMode(QProcess::MergedChannels);
        QStringList command = QProcess::splitCommand(
            qEnvironmentVariable("MARLOVEN_PEER_PROGRAM", QCoreApplication::applicationFilePath()));
        ASSERT_FALSE(command.isEmpty());
        const QString program = command.takeFirst();
        const std::string test = testing::UnitTest::GetInstance()->current_test_info()->name();
        command << QString::fromStdString("--gtest_filter=TwoSystems." + test);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("MARLOVEN_PEER_SIDE",
                           QString("%1 %2").arg(hostHere ? "join" : "host").arg(port));
        other.setProcessEnvironment(environment);
        QByteArray said;
        if (hostHere) {
            // The other joins once this side's link is open.
            const WhenReady open([&] { return Held(protocol, port); },
                                 [&] {
                                     environment.insert("MARLOVEN_PEER_CODE", ShownCode(me));
                                     other.setProcessEnvironment(environment);
                                     other.start(program, command);
                                 });
            start(me, {}, port);
        } else {
            other.start(program, command);
            QElapsedTimer clock;
            clock.start();
            while (!said.contains(kHosting) && other.state() != QProcess::NotRunning &&
                   clock.elapsed() < kPeerBoundMs) {
                other.waitForReadyRead(100);
                said += other.readAll();
            }
            ASSERT_TRUE(said.contains(kHosting)) << said.toStdString();
            const QByteArray told = said.mid(said.indexOf(kHosting) + sizeof(kHosting));
            me.launcher.prompter.textAnswers.push_back(
                QString::fromLatin1(told.left(told.indexOf('\n')).trimmed()));
            // The host's DOSBox may still be starting behind its open port.
            QTest::qWait(kJoinAfterMs);
            start(me, "127.0.0.1", port);
        }
        EXPECT_TRUE(other.waitForFinished(kPeerBoundMs));
        said += other.readAll();
        EXPECT_EQ(other.exitStatus(), QProcess::NormalExit) << said.toStdString();
        EXPECT_EQ(other.exitCode(), 0) << said.toStdString();
        ExpectLinked(me.Log(), hostHere ? peer : hostPeer);
        EXPECT_TRUE(me.launcher.prompter.messages.isEmpty())
            << me.launcher.prompter.messages.join('\n').toStdString();
    }
};

// The other program answers; this one places the call from its phonebook.
TEST_F(TwoSystems, AModemCallReachesTheOtherSystem) {
    const Start modem = [](Player& player, const QString& address, int port) {
        if (address.isEmpty()) {
            player.ChooseLink([&] { player.Window().answerButton->click(); }, {}, port);
            return;
        }
        PickOpponentDialog& phonebook = *player.launcher.forms->pickOpponent;
        PhonebookEntryDialog& entry = *player.launcher.forms->phonebookEntry;
        WhenOpened(phonebook, [&] {
            WhenOpened(entry, [&] {
                Type(entry.nameEdit, "Friend");
                Type(entry.numberEdit, QString("%1:%2").arg(address).arg(port));
                entry.okButton->click();
            });
            phonebook.addEditButton->click();
            phonebook.phoneList->setCurrentItem(phonebook.phoneList->topLevelItem(0));
            phonebook.dialButton->click();
        });
        player.Window().dialButton->click();
    };
    PlayAcross(modem, false, "dial", "answer", Protocol::Tcp);
}

// This program hosts the null-modem cable; the other joins it.
TEST_F(TwoSystems, ANullModemCableJoinsTheOtherSystem) {
    const Start cable = [](Player& player, const QString& address, int port) {
        player.ChooseLink([&] { player.Window().alreadyConnectedButton->click(); },
                          address.isEmpty() ? address : QString("%1:%2").arg(address).arg(port),
                          port);
    };
    PlayAcross(cable, true, "already", "already", Protocol::Tcp);
}

// The other program hosts the IPX network of two; this one joins it.
TEST_F(TwoSystems, AnIpxNetworkJoinsTheOtherSystem) {
    const Start ipx = [](Player& player, const QString& address, int port) {
        PlayersDialog& players = *player.launcher.forms->players;
        player.ChooseLink(
            [&] {
                WhenOpened(players, [&players] { players.CountButton(2)->click(); });
                player.Window().kaliButton->click();
            },
            address, port);
    };
    PlayAcross(ipx, false, "network", "network", Protocol::Udp);
}

} // namespace
} // namespace marloven::test
