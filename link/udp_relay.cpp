// SPDX-License-Identifier: GPL-3.0-or-later
// The IPX tunnel's link: UDP between DOSBox and the launcher on 127.0.0.1, and between
// the launcher and the other players.

#include "link/relay_parts.h"

#include <QNetworkDatagram>
#include <QUdpSocket>
#include <vector>

namespace marloven {

namespace {

// Hosting: every player who sends to the public port gets a local end of its own, from
// which its datagrams reach DOSBox's tunnel server, so the server tells the players
// apart by the local end's port as it would by their addresses.
class UdpHostRelay : public Relay {
  public:
    explicit UdpHostRelay(const RelayPlan& plan) : Relay(plan) {}

    std::optional<std::string> Open() override {
        if (auto refusal = HostingRefusal()) {
            return refusal;
        }
        // Not shared: a port that another program holds must be refused, not split.
        if (!public_.bind(QHostAddress::Any, static_cast<quint16>(plan_.publicPort),
                          QAbstractSocket::DontShareAddress)) {
            if (public_.error() == QAbstractSocket::AddressInUseError) {
                return PortInUseMessage(LinkTransport::Udp, plan_.publicPort);
            }
            return PortNotOpenedMessage(plan_.publicPort, public_.errorString());
        }
        dosboxPort_ = FreeLocalPort(LinkTransport::Udp);
        connect(&public_, &QUdpSocket::readyRead, this, [this] { FromPlayers(); });
        SetProgress(QStringLiteral("Waiting for %1 on port %2 \u2014 tell: %3")
                        .arg(plan_.waitingFor)
                        .arg(plan_.publicPort)
                        .arg(AddressesToTell().value(0)));
        return std::nullopt;
    }

    void Close() override {
        public_.close();
        for (Player& player : players_) {
            player.local->close();
        }
    }

  private:
    struct Player {
        QHostAddress address;
        quint16 port = 0;
        QUdpSocket* local = nullptr;
    };

    void FromPlayers() {
        while (public_.hasPendingDatagrams()) {
            const QNetworkDatagram datagram = public_.receiveDatagram();
            const Player* player = Find(datagram.senderAddress(), datagram.senderPort());
            if (player == nullptr) {
                continue;
            }
            player->local->writeDatagram(datagram.data(), QHostAddress::LocalHost,
                                         static_cast<quint16>(dosboxPort_));
            MarkUp(DescribePeer(player->address, player->port));
        }
    }

    const Player* Find(const QHostAddress& address, quint16 port) {
        for (const Player& player : players_) {
            if (player.port == port && player.address.isEqual(address)) {
                return &player;
            }
        }
        if (static_cast<int>(players_.size()) + 1 >= kMostPlayers) {
            SetProgress(QStringLiteral("%1 was turned away: %2 players are linked already.")
                            .arg(DescribePeer(address, port))
                            .arg(kMostPlayers));
            return nullptr;
        }
        auto* local = new QUdpSocket(this);
        if (!local->bind(QHostAddress::LocalHost, 0)) {
            delete local;
            return nullptr;
        }
        players_.push_back({address, port, local});
        connect(local, &QUdpSocket::readyRead, this, [this, local, address, port] {
            while (local->hasPendingDatagrams()) {
                public_.writeDatagram(local->receiveDatagram().data(), address, port);
            }
        });
        return &players_.back();
    }

    QUdpSocket public_;
    std::vector<Player> players_;
};

// Joining: DOSBox's tunnel client sends to the local end; what it sends goes on to the
// host, and what the host sends back comes to it.
class UdpJoinRelay : public JoinRelay {
  public:
    explicit UdpJoinRelay(const RelayPlan& plan) : JoinRelay(plan) {}

    std::optional<QString> BindLocalEnd() override {
        if (!local_.bind(QHostAddress::LocalHost, 0)) {
            return local_.errorString();
        }
        dosboxPort_ = local_.localPort();
        connect(&local_, &QUdpSocket::readyRead, this, [this] { FromDosbox(); });
        return std::nullopt;
    }

    void HostFound(const QList<QHostAddress>& addresses) override { OpenToHost(addresses.front()); }

    void Close() override {
        StopTry();
        local_.close();
        host_.close();
    }

  private:
    void OpenToHost(const QHostAddress& address) {
        const bool ipv6 = address.protocol() == QAbstractSocket::IPv6Protocol;
        host_.bind(ipv6 ? QHostAddress::AnyIPv6 : QHostAddress::AnyIPv4, 0);
        // Connected, so that a port nobody holds comes back as refused.
        host_.connectToHost(address, static_cast<quint16>(plan_.remote.port));
        connect(&host_, &QUdpSocket::readyRead, this, [this] { FromHost(); });
        open_ = true;
        SendHeld();
    }

    void FromDosbox() {
        while (local_.hasPendingDatagrams()) {
            const QNetworkDatagram datagram = local_.receiveDatagram();
            dosbox_ = datagram.senderAddress();
            dosboxClientPort_ = static_cast<quint16>(datagram.senderPort());
            held_.push_back(datagram.data());
        }
        if (open_) {
            SendHeld();
        }
    }

    void SendHeld() {
        for (const QByteArray& data : held_) {
            host_.write(data);
            if (!IsUp() && !Trying()) {
                StartTry();
            }
        }
        held_.clear();
    }

    void FromHost() {
        // Readable with nothing to read: the system's note that nobody holds the port
        // there, which Qt reports no other way.
        if (!host_.hasPendingDatagrams() && !IsUp()) {
            StopTry();
            FailTry(CouldNotReach(plan_, TryEnd::Refused));
            return;
        }
        while (host_.hasPendingDatagrams()) {
            const QNetworkDatagram datagram = host_.receiveDatagram();
            if (dosboxClientPort_ != 0) {
                local_.writeDatagram(datagram.data(), dosbox_, dosboxClientPort_);
                StopTry();
                MarkUp(AddressText(plan_.remote));
            }
        }
    }

    void NoAnswer() override {
        StopTry();
        FailTry(CouldNotReach(plan_, TryEnd::NoAnswer));
    }

    QUdpSocket local_;
    QUdpSocket host_;
    QHostAddress dosbox_;
    quint16 dosboxClientPort_ = 0;
    std::vector<QByteArray> held_;
    bool open_ = false;
};

} // namespace

std::unique_ptr<Relay> MakeUdpHostRelay(const RelayPlan& plan) {
    return std::make_unique<UdpHostRelay>(plan);
}

std::unique_ptr<Relay> MakeUdpJoinRelay(const RelayPlan& plan) {
    return std::make_unique<UdpJoinRelay>(plan);
}

} // namespace marloven
