// SPDX-License-Identifier: GPL-3.0-or-later
#include "meet/lan_games.h"

#include "comm/link_address.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkDatagram>
#include <QNetworkInterface>

namespace marloven {
namespace {

constexpr QLatin1StringView kMagic("MARLOVEN-LAN1 ");

qint64 Now() {
    return QDateTime::currentMSecsSinceEpoch();
}

} // namespace

QByteArray LanAnnouncement(const LanGame& game) {
    auto body = OfferJson(game);
    body.insert("port", game.port);
    return QByteArray(kMagic.data(), kMagic.size()) +
           QJsonDocument(body).toJson(QJsonDocument::Compact);
}

std::optional<LanGame> ReadLanAnnouncement(const QByteArray& datagram) {
    if (datagram.size() > kMostAnnouncementBytes ||
        !datagram.startsWith(QByteArray(kMagic.data(), kMagic.size()))) {
        return std::nullopt;
    }
    const auto body = QJsonDocument::fromJson(datagram.mid(kMagic.size())).object();
    const auto offer = ReadOffer(body);
    const int port = body.value("port").toInt();
    if (!offer || port <= 0 || port > kHighestPort) {
        return std::nullopt;
    }
    LanGame game;
    static_cast<GameOffer&>(game) = *offer;
    game.port = static_cast<quint16>(port);
    return game;
}

LanAnnouncer::LanAnnouncer(const LanGame& game, quint16 port, QList<QHostAddress> targets,
                           QObject* parent)
    : QObject(parent), game_(game), port_(port), targets_(std::move(targets)) {
    socket4_.bind(QHostAddress::AnyIPv4, 0);
    socket6_.bind(QHostAddress::AnyIPv6, 0);
    // A multicast hop limit of 1 keeps the IPv6 announcement on the link; IPv4 broadcasts
    // are not routed at all.
    socket6_.setSocketOption(QAbstractSocket::MulticastTtlOption, 1);
    connect(&timer_, &QTimer::timeout, this, &LanAnnouncer::Announce);
    timer_.start(kEveryMs);
    Announce();
}

QList<QHostAddress> LanAnnouncer::Targets() const {
    if (!targets_.isEmpty()) {
        return targets_;
    }
    QList<QHostAddress> targets;
    for (const auto& interface : QNetworkInterface::allInterfaces()) {
        const auto flags = interface.flags();
        if (!flags.testFlag(QNetworkInterface::IsUp) ||
            !flags.testFlag(QNetworkInterface::IsRunning) ||
            flags.testFlag(QNetworkInterface::IsLoopBack)) {
            continue;
        }
        bool ipv6 = false;
        for (const auto& entry : interface.addressEntries()) {
            if (entry.ip().protocol() == QAbstractSocket::IPv4Protocol &&
                !entry.broadcast().isNull()) {
                targets.append(entry.broadcast());
            }
            ipv6 = ipv6 || entry.ip().protocol() == QAbstractSocket::IPv6Protocol;
        }
        if (ipv6 && flags.testFlag(QNetworkInterface::CanMulticast)) {
            QHostAddress allNodes(QStringLiteral("ff02::1"));
            allNodes.setScopeId(interface.name());
            targets.append(allNodes);
        }
    }
    return targets;
}

void LanAnnouncer::Announce() {
    const auto announcement = LanAnnouncement(game_);
    for (const auto& target : Targets()) {
        auto& socket = target.protocol() == QAbstractSocket::IPv6Protocol ? socket6_ : socket4_;
        socket.writeDatagram(announcement, target, port_);
    }
}

LanListener::LanListener(quint16 port, QObject* parent) : QObject(parent) {
    const auto mode = QAbstractSocket::ShareAddress | QAbstractSocket::ReuseAddressHint;
    socket4_.bind(QHostAddress::AnyIPv4, port, mode);
    socket6_.bind(QHostAddress::AnyIPv6, port, mode);
    connect(&socket4_, &QUdpSocket::readyRead, this, [this] { Read(socket4_); });
    connect(&socket6_, &QUdpSocket::readyRead, this, [this] { Read(socket6_); });
    connect(&forgetTimer_, &QTimer::timeout, this, &LanListener::Forget);
    forgetTimer_.start(kForgetMs / 4);
}

bool LanListener::Listening() const {
    return socket4_.state() == QAbstractSocket::BoundState ||
           socket6_.state() == QAbstractSocket::BoundState;
}

QList<LanGame> LanListener::Games() const {
    QList<LanGame> games;
    for (const auto& heard : heard_) {
        games.append(heard.game);
    }
    return games;
}

void LanListener::Read(QUdpSocket& socket) {
    bool changed = false;
    while (socket.hasPendingDatagrams()) {
        const auto datagram = socket.receiveDatagram(kMostAnnouncementBytes + 1);
        auto game = ReadLanAnnouncement(datagram.data());
        if (!game) {
            continue;
        }
        game->address = datagram.senderAddress();
        const auto same = std::find_if(heard_.begin(), heard_.end(), [&](const Heard& heard) {
            return heard.game.address.isEqual(game->address, QHostAddress::StrictConversion) &&
                   heard.game.port == game->port;
        });
        if (same != heard_.end()) {
            changed = changed || same->game.playersFree != game->playersFree;
            *same = {*game, Now()};
        } else if (heard_.size() < 64) {
            heard_.append({*game, Now()});
            changed = true;
        }
    }
    if (changed) {
        emit this->Changed();
    }
}

void LanListener::Forget() {
    const auto before = heard_.size();
    const auto oldest = Now() - kForgetMs;
    heard_.removeIf([oldest](const Heard& heard) { return heard.at < oldest; });
    if (heard_.size() != before) {
        emit Changed();
    }
}

} // namespace marloven
