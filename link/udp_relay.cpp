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
#include <utility>
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

// Between the launchers only, never passed to DOSBox: the handshake's frames
// (comm/link_proof.h), and the joining launcher's keep-alive (kTunnelKeepAlive), which
// keeps a quiet player's slot. The host keeps nothing of a source until it has proven the
// code: its challenge is a token only that source's address earns, no larger than the
// hello it answers, so that a forged source makes the host send no more than it received.

// Joining: how often the hello or the proof is sent again while the host has not
// answered (datagrams may be lost).
constexpr int kResendMs = 1000;
// Joining: DOSBox's datagrams held until the code is proven.
constexpr std::size_t kMostHeld = 64;

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
        if (MeetingPlaceWay* way = HostAtMeetingPlace()) {
            way->sourceArrived = [this](quint16 port) { Admit(port); };
        }
        SetProgress(WaitingText());
        return std::nullopt;
    }

    void Close() override {
        CloseMeetingPlace();
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
        bool throughMeetingPlace = false;
        bool registered = false; // its registration answered once already
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
        // DOSBox on this machine reaches the launcher on 127.0.0.1 only: nothing to prove.
        if (player == nullptr && &via != &local_) {
            Stranger(address, port, data);
            return;
        }
        if (player != nullptr) {
            player->heard.start();
        }
        if (data.size() < kHeaderSize) {
            return; // a keep-alive, or nothing of the tunnel's
        }
        const bool registration = data.at(kDestSocket) == 0 &&
                                  data.at(kDestSocket + 1) == kRegistrationSocket &&
                                  data.mid(kDestNode, 4) == QByteArray(4, '\0');
        if (registration) {
            Register(via, address, port, player);
            return;
        }
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

    // A source that has proven nothing gets one datagram back for a hello or a proof, no
    // larger than it, and nothing for anything else; it takes a slot once proven.
    void Stranger(const QHostAddress& address, quint16 port, const QByteArray& data) {
        if (ProofFrameBody(data, ProofFrame::Hello)) {
            public_.writeDatagram(ProofFrameBytes(ProofFrame::Challenge, Token(address, port)),
                                  address, port);
            return;
        }
        const auto body = ProofFrameBody(data, ProofFrame::Proof);
        const auto parts =
            body ? ReadProofBody({body->constData(), std::size_t(body->size())}) : std::nullopt;
        // A proof for another address's token, or one the limiter holds back (the joiner
        // sends it again), is not looked at.
        if (!parts || QByteArray::fromStdString(parts->hostNonce) != Token(address, port) ||
            ProofWaitMs() > 0) {
            return;
        }
        if (!ProofHolds(*parts)) {
            CountStranger();
            public_.writeDatagram(ProofFrameBytes(ProofFrame::Refused), address, port);
            return;
        }
        if (static_cast<int>(players_.size()) >= kMostPlayers) {
            SetProgress(QStringLiteral("%1 was turned away: %2 players are linked already.")
                            .arg(DescribePeer(address, port))
                            .arg(kMostPlayers));
            public_.writeDatagram(ProofFrameBytes(ProofFrame::Refused), address, port);
            return;
        }
        players_.push_back({&public_, address, port, NextNode(), {}});
        players_.back().heard.start();
        public_.writeDatagram(AcceptedFrame(*parts), address, port);
    }

    // A player who arrived at the meeting place, proven there: its datagrams come to the
    // public port from this port on 127.0.0.1. Past the most players they go unheard.
    void Admit(quint16 port) {
        if (static_cast<int>(players_.size()) < kMostPlayers) {
            players_.push_back(
                {&public_, QHostAddress(QHostAddress::LocalHost), port, NextNode(), {}, true});
            players_.back().heard.start();
        }
    }

    void Register(QUdpSocket& via, const QHostAddress& address, quint16 port, Player* player) {
        if (player == nullptr) { // DOSBox's own client: a remote one was proven first
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
            MarkUp(player->throughMeetingPlace ? MeetingPlacePlayer()
                                               : DescribePeer(address, port));
            LinkedBy(player->throughMeetingPlace);
            if (!std::exchange(player->registered, true)) {
                PlayerArrived();
            }
        }
    }

    // What a source's address earns, the host's nonce in its proof: it reaches only that
    // address, and the host keeps nothing of a source until the source sends it back.
    QByteArray Token(const QHostAddress& address, quint16 port) const {
        const QByteArray source = address.toString().toUtf8() + ':' + QByteArray::number(port);
        return QMessageAuthenticationCode::hash(source, secret_, QCryptographicHash::Sha256)
            .left(kNonceBytes);
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
// host once the launcher has proven the code, and what the host sends back comes to it.
class UdpJoinRelay : public JoinRelay {
  public:
    explicit UdpJoinRelay(const RelayPlan& plan) : JoinRelay(plan) {
        connect(&resend_, &QTimer::timeout, this, [this] { Prove(); });
    }

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
        CloseMeetingPlace();
        keepAlive_.stop();
        resend_.stop();
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
        connect(&keepAlive_, &QTimer::timeout, this, [this] { host_.write(kTunnelKeepAlive); });
        SendHeld();
    }

    void FromDosbox() {
        while (local_.hasPendingDatagrams()) {
            const QNetworkDatagram datagram = local_.receiveDatagram();
            dosbox_ = datagram.senderAddress();
            dosboxClientPort_ = static_cast<quint16>(datagram.senderPort());
            if (held_.size() < kMostHeld) {
                held_.push_back(datagram.data());
            }
        }
        if (MeetsOnly() && !meet_ && !Trying() && !held_.empty()) {
            StartTry();
            EndTry(TryEnd::Unreachable); // on to the meeting place
            return;
        }
        if (open_ || meet_) {
            SendHeld();
        }
    }

    // DOSBox's first datagram starts the try, and the handshake with it; what it sends
    // goes on once the code is proven.
    void SendHeld() {
        if (held_.empty()) {
            return;
        }
        if (meet_) {
            for (const QByteArray& data : held_) {
                meet_->SendToHost(data);
            }
            held_.clear();
            return;
        }
        if (!proven_) {
            if (!IsUp() && !Trying() && !asking_) {
                StartTry();
                joinerNonce_ = RandomNonce();
                Prove();
                resend_.start(kResendMs);
            }
            return;
        }
        for (const QByteArray& data : held_) {
            host_.write(data);
        }
        held_.clear();
    }

    // The hello, or once the host has challenged, the proof.
    void Prove() {
        if (proven_ || !Trying()) {
            resend_.stop();
            return;
        }
        host_.write(token_.isEmpty() ? ProofFrameBytes(ProofFrame::Hello, joinerNonce_)
                                     : ProofFrameFor(token_, joinerNonce_));
    }

    void FromHost() {
        // Readable with nothing to read: the system's note that nobody holds the port
        // there, which Qt reports no other way.
        if (!host_.hasPendingDatagrams() && !IsUp()) {
            EndTry(TryEnd::Refused);
            return;
        }
        while (host_.hasPendingDatagrams()) {
            const QByteArray data = host_.receiveDatagram().data();
            if (!proven_) {
                Handshake(data);
                continue;
            }
            ToDosbox(data);
        }
    }

    void ToDosbox(const QByteArray& data) {
        if (dosboxClientPort_ != 0) {
            local_.writeDatagram(data, dosbox_, dosboxClientPort_);
            if (meet_) {
                ReachedThroughMeetingPlace();
            }
            StopTry();
            MarkUp(AddressText(plan_.remote));
        }
    }

    void Handshake(const QByteArray& data) {
        if (const auto challenge = ProofFrameBody(data, ProofFrame::Challenge)) {
            token_ = *challenge;
            if (code_) {
                Prove();
            } else if (!asking_) {
                asking_ = true;
                resend_.stop();
                NeedCode([this] {
                    asking_ = false;
                    Prove();
                    resend_.start(kResendMs);
                });
            }
        } else if (const auto answer = ProofFrameBody(data, ProofFrame::Accepted)) {
            if (!token_.isEmpty() && HostAnswerHolds(*answer, token_, joinerNonce_)) {
                proven_ = true;
                LinkedBy(false);
                resend_.stop();
                keepAlive_.start(kSilentMs / 3);
                SendHeld();
            }
        } else if (ProofFrameBody(data, ProofFrame::Refused) && Trying()) {
            token_.clear();
            CodeRefused();
            EndTry(TryEnd::CodeRefused);
        }
    }

    void NoAnswer() override { EndTry(TryEnd::NoAnswer); }

    // The tunnel's join ends, unless the meeting place takes DOSBox's datagrams on to the
    // host.
    void EndTry(TryEnd end) override {
        resend_.stop();
        if (FallsBack(end)) {
            host_.close();
            meet_->fromHost = [this](const QByteArray& data) { ToDosbox(data); };
            SendHeld();
            return;
        }
        const bool trying = Trying();
        StopTry();
        CloseMeetingPlace();
        if (trying && end != TryEnd::HungUp) {
            FailTry(TryFailure(end));
        }
    }

    QUdpSocket local_;
    QUdpSocket host_;
    QHostAddress dosbox_;
    quint16 dosboxClientPort_ = 0;
    std::vector<QByteArray> held_;
    QTimer keepAlive_;
    QTimer resend_;
    QByteArray joinerNonce_;
    QByteArray token_; // the host's challenge
    bool open_ = false;
    bool proven_ = false;
    bool asking_ = false;
};

} // namespace

std::unique_ptr<Relay> MakeUdpHostRelay(const RelayPlan& plan) {
    return std::make_unique<UdpHostRelay>(plan);
}

std::unique_ptr<Relay> MakeUdpJoinRelay(const RelayPlan& plan) {
    return std::make_unique<UdpJoinRelay>(plan);
}

} // namespace marloven
