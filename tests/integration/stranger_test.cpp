// SPDX-License-Identifier: GPL-3.0-or-later
// Strangers at a hosting launcher's port (real relay, real DOSBox) are turned away with
// its memory flat and no more sent back than they sent; the invited player still plays.

#include "tests/integration/players.h"

#include "launcher/launcher_settings.h"
#include "tests/support/resident_memory.h"

#include <QNetworkDatagram>
#include <QProcess>
#include <QTcpSocket>
#include <QTest>
#include <atomic>
#include <iostream>
#include <thread>

namespace marloven::test {
namespace {

constexpr int kBoundMs = 5000;

// A stranger's connection in a thread of its own, until the host drops it or `bytes` run
// out: each byte of `bytes` after a pause of `pauseMs`. What it sent and what came back
// are added to the totals.
void Stranger(int port, const QByteArray& bytes, int pauseMs, std::atomic<qint64>& sent,
              std::atomic<qint64>& back) {
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(port));
    if (!socket.waitForConnected(kBoundMs)) {
        return;
    }
    for (qsizetype at = 0; at < bytes.size() && socket.state() == QAbstractSocket::ConnectedState;
         ++at) {
        socket.waitForReadyRead(pauseMs);
        if (socket.state() == QAbstractSocket::ConnectedState) {
            sent += socket.write(bytes.mid(at, 1));
            socket.waitForBytesWritten(kBoundMs);
        }
    }
    if (socket.state() == QAbstractSocket::ConnectedState) {
        socket.waitForDisconnected(2 * kBoundMs);
    }
    back += socket.readAll().size();
}

// 300 MB offered at the port, a new connection each time one is dropped; the bytes the
// system took from the stranger are counted, within 20 s.
void Flood(int port, std::atomic<qint64>& sent, std::atomic<qint64>& back) {
    const QByteArray chunk(1 << 20, 'x');
    QElapsedTimer clock;
    clock.start();
    while (sent < (300LL << 20) && clock.elapsed() < 20000) {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(port));
        if (!socket.waitForConnected(kBoundMs)) {
            return;
        }
        // Only what the system took counts, not what Qt still held when it was dropped.
        QObject::connect(&socket, &QTcpSocket::bytesWritten,
                         [&sent](qint64 taken) { sent += taken; });
        while (socket.state() == QAbstractSocket::ConnectedState && sent < (300LL << 20)) {
            socket.write(chunk);
            while (socket.bytesToWrite() > 0 && socket.waitForBytesWritten(1000)) {
            }
        }
        back += socket.readAll().size();
    }
}

// A silent first connection, a slow sender (a byte each 2 s), a flood: each is turned
// away within 5 s, and the invited player, who then types the code, links.
TEST_F(InternetPlay, StrangersAtTheHostingPortLeaveTheInvitedPlayerLinked) {
    const int port = FreePort(Protocol::Tcp);
    std::atomic<qint64> sent = 0;
    std::atomic<qint64> back = 0;
    std::atomic<int> done = 0;
    std::vector<std::thread> strangers;
    long before = 0;
    long most = 0;
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, [&] { most = std::max(most, ResidentKb()); });
    QElapsedTimer linking;
    qint64 linkedAfter = -1;
    QString turnedAway;
    const WhenReady hosting([&] { return !host_->window.isNull(); },
                            [&] {
                                before = most = ResidentKb();
                                sampler.start(20);
                                const auto run = [&](std::function<void()> stranger) {
                                    strangers.emplace_back([stranger, &done] {
                                        stranger();
                                        ++done;
                                    });
                                };
                                run([&] { Stranger(port, {}, 0, sent, back); });
                                run([&] { Stranger(port, "MARLOVEN-LINK1", 2000, sent, back); });
                                run([&] { Flood(port, sent, back); });
                            });
    const WhenReady joining([&] { return done == 3; },
                            [&] {
                                guest_->TellCode(*host_);
                                linking.start();
                                guest_->ChooseLink(
                                    [&] { guest_->Window().alreadyConnectedButton->click(); },
                                    QString("127.0.0.1:%1").arg(port), 1);
                            });
    const WhenReady linked([&] { return host_->window && host_->window->Linked(); },
                           [&] {
                               linkedAfter = linking.elapsed();
                               turnedAway = host_->window->strangersLabel->text();
                           });
    host_->ChooseLink([&] { host_->Window().alreadyConnectedButton->click(); }, {}, port);
    sampler.stop();
    for (std::thread& stranger : strangers) {
        stranger.join();
    }
    const long after = ResidentKb();
    std::cout << "strangers at the cable's port: " << (sent >> 20) << " MB (" << sent
              << " bytes) sent, " << back << " bytes back; memory " << (before >> 10)
              << " MB before, " << (most >> 10) << " MB at most, " << (after >> 10)
              << " MB after; the invited player linked " << linkedAfter
              << " ms after joining; the host's window said \"" << turnedAway.toStdString()
              << "\"\n";
    EXPECT_LT(most - before, 20 * 1024);
    EXPECT_LE(back, sent);
    ExpectLinked(host_->Log(), "already");
    ExpectLinked(guest_->Log(), "already");
}

// Plain DOSBox, its cable straight at the host's port as the invitation's "Without
// Marloven" line says, is turned away unless the host ticked "Let players without
// Marloven join"; then the game is carried as before.
TEST_F(InternetPlay, PlainDosboxJoinsTheCableOnlyWhenTheHostLetsIt) {
    for (const bool let : {false, true}) {
        const int port = FreePort(Protocol::Tcp);
        host_ = std::make_unique<Player>(settings_);
        host_->launcher.settings.Set(LauncherKey::PlainPeersJoin, let);
        // The plain player's COMMIT.DAT and DOSBox configuration as a join would make them,
        // the cable then pointed at the host's port rather than at a launcher.
        Player plain(settings_, true);
        plain.ChooseLink([&] { plain.Window().alreadyConnectedButton->click(); },
                         QString("127.0.0.1:%1").arg(port), 1);
        const QString configuration =
            QString::fromStdString(plain.keeping->configuration)
                .replace(QRegularExpression("port:[0-9]+"), QString("port:%1").arg(port));
        plain.launcher.dir.Write("plain.conf", configuration.toStdString());
        QProcess dosbox;
        dosbox.setWorkingDirectory(QString::fromStdString(plain.launcher.dir.Path().string()));
        QString told;
        const WhenReady hosting([&] { return !host_->window.isNull(); },
                                [&] {
                                    dosbox.start(
                                        QString::fromStdString(dosbox_),
                                        {"-conf", "plain.conf", "-conf",
                                         QString::fromStdString(settings_.playersConfiguration)});
                                });
        const WhenReady turnedAway(
            [&] { return host_->window && !host_->window->strangersLabel->text().isEmpty(); },
            [&] {
                told = host_->window ? host_->window->strangersLabel->text() : QString();
                if (host_->window && !let) {
                    host_->window->cancelButton->click();
                }
            },
            let ? 15000 : kDosboxBoundMs);
        host_->ChooseLink([&] { host_->Window().alreadyConnectedButton->click(); }, {}, port);
        // A linked plain player ends its game a moment after the host: its log is whole
        // only then.
        if (let && !QTest::qWaitFor([&] { return dosbox.state() == QProcess::NotRunning; },
                                    kDosboxBoundMs)) {
            ADD_FAILURE() << "the plain player's DOSBox did not end with its game";
        }
        dosbox.kill();
        dosbox.waitForFinished();
        EXPECT_EQ(told, let ? QString() : QString("1 stranger turned away"));
        EXPECT_EQ(Has(host_->Log(), "link up"), let) << host_->Log();
        EXPECT_EQ(Has(plain.Log(), "link up"), let) << plain.Log();
    }
}

// Seven spoofed sources and a forged one (the address a reflection would hit) at the
// tunnel's port: none takes a slot, each gets back no more than it sent, and the invited
// player still joins the network game.
TEST_F(InternetPlay, SpoofedTunnelSourcesTakeNoSlotAndReflectNoMoreThanTheySent) {
    const int port = FreePort(Protocol::Udp);
    std::vector<std::unique_ptr<QUdpSocket>> sources;
    qint64 sent = 0;
    const WhenReady hosting(
        [&] { return !host_->window.isNull(); },
        [&] {
            QByteArray registration(30, '\0');
            registration[17] = 2;
            const QByteArray frames[] = {registration, "MARLOVEN-LINK1H" + QByteArray(16, 'n'),
                                         "MVLK.", "MARLOVEN-LINK1P" + QByteArray(64, 'p'),
                                         registration + "game"};
            for (int source = 2; source <= 9; ++source) {
                auto& socket = sources.emplace_back(std::make_unique<QUdpSocket>());
                ASSERT_TRUE(socket->bind(QHostAddress(QString("127.0.0.%1").arg(source)), 0));
                for (const QByteArray& frame : frames) {
                    sent += socket->writeDatagram(frame, QHostAddress::LocalHost, port);
                }
            }
        });
    std::vector<std::function<void()>> starts;
    for (Player* player : {host_.get(), guest_.get()}) {
        starts.push_back([player, port, host = host_.get()] {
            player->PlayNetwork(player->Window().networkButton, 2, *host, port);
        });
    }
    PlayTogether(starts);
    qint64 back = 0;
    for (const auto& socket : sources) {
        while (socket->hasPendingDatagrams()) {
            back += socket->receiveDatagram().data().size();
        }
    }
    std::cout << "spoofed tunnel sources: " << sent << " bytes sent from " << sources.size()
              << " addresses, " << back << " bytes back\n";
    EXPECT_LE(back, sent);
    ExpectLinked(host_->Log(), "network");
    ExpectLinked(guest_->Log(), "network");
}

} // namespace
} // namespace marloven::test
