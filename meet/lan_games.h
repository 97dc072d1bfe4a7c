// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "meet/game_offer.h"

#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QUdpSocket>
#include <optional>

// Players on the home network: a hosting launcher says so every second by UDP broadcast on
// IPv4 and by link-local multicast on IPv6 (ff02::1, hop limit 1), and the join dialog
// lists what it hears. Nothing of it crosses a router.
namespace marloven {

inline constexpr quint16 kLanGamesPort = 23239;
// An announcement is one small datagram; anything larger, or not ours, is not read.
inline constexpr int kMostAnnouncementBytes = 512;

struct LanGame : GameOffer {
    // Where the host takes players, on the address it was heard from.
    quint16 port = 0;
    QHostAddress address;
};

QByteArray LanAnnouncement(const LanGame& game);
std::optional<LanGame> ReadLanAnnouncement(const QByteArray& datagram);

class LanAnnouncer : public QObject {
    Q_OBJECT
  public:
    static constexpr int kEveryMs = 1000;
    // `targets`: where to announce; empty means every interface's IPv4 broadcast address
    // and ff02::1 on every IPv6 interface. `port`: the listeners' port.
    explicit LanAnnouncer(const LanGame& game, quint16 port = kLanGamesPort,
                          QList<QHostAddress> targets = {}, QObject* parent = nullptr);
    void Update(const LanGame& game) { game_ = game; }

  private:
    void Announce();
    QList<QHostAddress> Targets() const;

    LanGame game_;
    quint16 port_;
    QList<QHostAddress> targets_;
    QUdpSocket socket4_;
    QUdpSocket socket6_;
    QTimer timer_;
};

class LanListener : public QObject {
    Q_OBJECT
  public:
    // A host not heard for this long has gone.
    static constexpr int kForgetMs = 4000;
    // Several launchers on one machine may listen at once.
    explicit LanListener(quint16 port = kLanGamesPort, QObject* parent = nullptr);
    // Whether either socket could listen.
    bool Listening() const;
    QList<LanGame> Games() const;

  signals:
    void Changed();

  private:
    struct Heard {
        LanGame game;
        qint64 at = 0;
    };
    void Read(QUdpSocket& socket);
    void Forget();

    QUdpSocket socket4_;
    QUdpSocket socket6_;
    QList<Heard> heard_;
    QTimer forgetTimer_;
};

} // namespace marloven
