// SPDX-License-Identifier: GPL-3.0-or-later
// The IPX tunnel's link: UDP between DOSBox and the launcher on 127.0.0.1, and between
// the launcher and the other players.

#include "link/relay_parts.h"

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QMessageAuthenticationCode>
#include <QNetworkDatagram>
#include <QRandomGenerator>
#include <QTimer>
#include <QUdpSocket>
#include <list>
#include <vector>

namespace marloven {

namespace {

QByteArray RandomBytes(int size) {
    QByteArray bytes(size, '\0');
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(bytes.data()), size / 4);
    return bytes;
}

// The tunnel's datagrams: a 30-byte IPX header, then the game's bytes. A node is the
// 4-byte address and 2-byte port that name a player in the tunnel.
constexpr int kHeaderSize = 30;
constexpr int kDestNode = 10;
constexpr int kDestSocket = 16;
constexpr int kNodeSize = 6;
// The tunnel's own socket: a datagram to it with a null node is a registration.
constexpr char kRegistrationSocket = 0x02;
// A player not heard for this long has left; its slot is free for another.
constexpr int kSilentMs = 30000;
constexpr int kSweepMs = 5000;

// Between the launchers only, never passed to DOSBox. A registration from a source not
// yet proven is answered with a challenge: a token only that source's address earns,
// shorter than the registration, so that a forged source makes the host send no more
// than it received. The joining launcher sends the token back in a proof as long as the
// answer it then gets; only then does the source take a slot. The keep-alive keeps a
// quiet player's slot.
const QByteArray kChallenge = QByteArrayLiteral("MVLK?");
const QByteArray kProof = QByteArrayLiteral("MVLK!");
const QByteArray kKeepAlive = QByteArrayLiteral("MVLK.");
constexpr int kTokenSize = 16;

// Hosting: the launcher is the tunnel's server. DOSBox's own tunnel client reaches it on
// 127.0.0.1, the other players on the public port; it names each player with a node of
// its own and passes each datagram to the node it names, or to all for a broadcast.
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
        if (!local_.bind(QHostAddress::LocalHost, 0)) {
            return PortNotOpenedMessage(plan_.publicPort, local_.errorString());
        }
        dosboxPort_ = local_.localPort();
        connect(&public_, &QUdpSocket::readyRead, this, [this] { Receive(public_); });
        connect(&local_, &QUdpSocket::readyRead, this, [this] { Receive(local_); });
        connect(&sweep_, &QTimer::timeout, this, [this] { FreeSilentSlots(); });
        sweep_.start(kSweepMs);
        SetProgress(QStringLiteral("Waiting for %1 on port %2 \u2014 tell: %3")
                        .arg(plan_.waitingFor)
                        .arg(plan_.publicPort)
                        .arg(AddressesToTell().value(0)));
        return std::nullopt;
    }

    void Close() override {
        sweep_.stop();
        public_.close();
        local_.close();
    }

  private:
    struct Player {
        QUdpSocket* via = nullptr;
        QHostAddress address;
        quint16 port = 0;
        QByteArray node;
        QElapsedTimer heard;
    };

    void Receive(QUdpSocket& via) {
        while (via.hasPendingDatagrams()) {
            const QNetworkDatagram datagram = via.receiveDatagram();
            Take(via, datagram.senderAddress(), static_cast<quint16>(datagram.senderPort()),
                 datagram.data());
        }
    }

    void Take(QUdpSocket& via, const QHostAddress& address, quint16 port, const QByteArray& data) {
        Player* player = Find(via, address, port);
        if (player != nullptr) {
            player->heard.start();
        }
        if (data.size() < kHeaderSize) {
            return; // a keep-alive, or nothing of the tunnel's
        }
        // DOSBox on this machine reaches the launcher on 127.0.0.1 only: nothing to prove.
        const bool proven = player != nullptr || &via == &local_;
        if (data.startsWith(kProof)) {
            if (!proven && data.mid(kProof.size(), kTokenSize) == Token(address, port)) {
                Register(via, address, port, player);
            }
            return;
        }
        const bool registration = data.at(kDestSocket) == 0 &&
                                  data.at(kDestSocket + 1) == kRegistrationSocket &&
                                  data.mid(kDestNode, 4) == QByteArray(4, '\0');
        if (registration && !proven) {
            via.writeDatagram(kChallenge + Token(address, port), address, port);
            return;
        }
        if (registration) {
            Register(via, address, port, player);
            return;
        }
        // A source that never registered gets nothing back.
        if (player == nullptr) {
            return;
        }
        const QByteArray destination = data.mid(kDestNode, kNodeSize);
        const bool broadcast = destination.startsWith(QByteArray(4, '\xff'));
        for (const Player& other : players_) {
            if (&other != player && (broadcast || other.node == destination)) {
                other.via->writeDatagram(data, other.address, other.port);
            }
        }
    }

    void Register(QUdpSocket& via, const QHostAddress& address, quint16 port, Player* player) {
        if (player == nullptr) {
            if (static_cast<int>(players_.size()) >= kMostPlayers) {
                SetProgress(QStringLiteral("%1 was turned away: %2 players are linked already.")
                                .arg(DescribePeer(address, port))
                                .arg(kMostPlayers));
                return;
            }
            players_.push_back({&via, address, port, NextNode(), {}});
            player = &players_.back();
            player->heard.start();
        }
        // The answer names the player's node; it is no larger than the registration.
        QByteArray ack(kHeaderSize, '\0');
        ack[0] = ack[1] = '\xff';
        ack[3] = kHeaderSize;
        ack.replace(kDestNode, kNodeSize, player->node);
        ack[kDestSocket + 1] = kRegistrationSocket;
        ack[21] = 1; // the source's network
        ack.replace(22, kNodeSize, ServerNode());
        ack[29] = kRegistrationSocket;
        via.writeDatagram(ack, address, port);
        if (&via == &public_) {
            MarkUp(DescribePeer(address, port));
        }
    }

    // What a source's address earns: it reaches only that address, and the host keeps
    // nothing of a source until the source sends it back.
    QByteArray Token(const QHostAddress& address, quint16 port) const {
        const QByteArray source = address.toString().toUtf8() + ':' + QByteArray::number(port);
        return QMessageAuthenticationCode::hash(source, secret_, QCryptographicHash::Sha256)
            .left(kTokenSize);
    }

    Player* Find(const QUdpSocket& via, const QHostAddress& address, quint16 port) {
        for (Player& player : players_) {
            if (player.via == &via && player.port == port && player.address.isEqual(address)) {
                return &player;
            }
        }
        return nullptr;
    }

    void FreeSilentSlots() {
        // DOSBox's own client on this machine stays for the whole start.
        std::erase_if(players_, [this](const Player& player) {
            return player.via != &local_ && player.heard.hasExpired(kSilentMs);
        });
    }

    // Nodes name players only inside the tunnel: 127.0.0.1 and a number of their own.
    QByteArray NextNode() {
        ++lastNode_;
        return QByteArray("\x7f\x00\x00\x01", 4) + char(lastNode_ >> 8) + char(lastNode_ & 0xff);
    }
    static QByteArray ServerNode() { return QByteArray("\x7f\x00\x00\x01\x00\x00", kNodeSize); }

    QUdpSocket public_;
    QUdpSocket local_;
    QTimer sweep_;
    const QByteArray secret_ = RandomBytes(32);
    std::list<Player> players_;
    quint16 lastNode_ = 0;
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
        keepAlive_.stop();
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
        // The host frees the slot of a player it has not heard for a while.
        connect(&keepAlive_, &QTimer::timeout, this, [this] { host_.write(kKeepAlive); });
        keepAlive_.start(kSilentMs / 3);
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
            if (datagram.data().startsWith(kChallenge)) {
                QByteArray proof = kProof + datagram.data().mid(kChallenge.size(), kTokenSize);
                host_.write(proof.leftJustified(kHeaderSize, '\0'));
                continue;
            }
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
    QTimer keepAlive_;
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
