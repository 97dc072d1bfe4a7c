// SPDX-License-Identifier: GPL-3.0-or-later
// The modem's and the null-modem cable's link: TCP between DOSBox and the launcher on
// 127.0.0.1, and between the launcher and the other player.

#include "link/relay_parts.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <list>
#include <vector>

namespace marloven {

namespace {

constexpr int kDosboxRetryMs = 200;

// What one direction of a link holds at most, in the sockets' buffers together: beyond
// it the pipe stops reading, so a peer that sends faster than the other end takes waits
// in its own system's buffers and not in the launcher's memory.
constexpr qint64 kHeldBytes = qint64{64} * 1024;

// One link's two sockets: what arrives on one leaves by the other, held back until the
// other is connected. When either side closes, the other is closed after what it still
// has to send. Hosting a cable, DOSBox's socket may come after the player's.
class Pipe : public QObject {
  public:
    std::function<void()> firstFromRemote;
    // Gets the local socket when it is kept for another remote (keepsLocal).
    std::function<void(QTcpSocket* kept)> ended;
    // A local socket that nothing of the remote reached stays open when the remote
    // leaves: hosting a cable, DOSBox reaches the launcher only once.
    bool keepsLocal = false;

    Pipe(QObject* parent, QTcpSocket* local, QTcpSocket* remote) : QObject(parent) {
        Wire(remote);
        remote_ = remote;
        if (local != nullptr) {
            SetLocal(local);
        }
    }

    QTcpSocket* Local() const { return local_; }
    QTcpSocket* Remote() const { return remote_; }
    // Something of the remote reached the local end.
    bool HeardRemote() const { return heardRemote_; }

    void SetLocal(QTcpSocket* local) {
        Wire(local);
        local_ = local;
        if (local_->state() == QAbstractSocket::ConnectedState) {
            Carry(remote_);
            Carry(local_);
        }
    }

    // Ends the link at once, both sockets closed but a local one kept (keepsLocal).
    void End() {
        if (over_) {
            return;
        }
        over_ = true;
        QTcpSocket* keep = keepsLocal && !HeardRemote() && local_ != nullptr &&
                                   local_->state() == QAbstractSocket::ConnectedState
                               ? local_
                               : nullptr;
        for (QTcpSocket* socket : {local_, remote_}) {
            if (socket == nullptr) {
                continue;
            }
            socket->disconnect(this);
            socket->setParent(parent());
            if (socket == keep) {
                continue;
            }
            if (socket->state() == QAbstractSocket::ConnectedState) {
                // It goes once the bytes it still holds have left.
                connect(socket, &QAbstractSocket::disconnected, socket, &QObject::deleteLater);
                socket->disconnectFromHost();
            } else {
                socket->abort();
                socket->deleteLater();
            }
        }
        deleteLater();
        if (ended) {
            ended(keep);
        }
    }

  private:
    void Wire(QTcpSocket* socket) {
        socket->setParent(this);
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        socket->setReadBufferSize(kHeldBytes);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { Carry(socket); });
        connect(socket, &QTcpSocket::connected, this, [this, socket] { Carry(Other(socket)); });
        // What left one socket makes room for more from the other.
        connect(socket, &QTcpSocket::bytesWritten, this, [this, socket] { Carry(Other(socket)); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            // What it sent before hanging up is still read, and goes on before the end.
            Carry(socket, true);
            End();
        });
    }

    QTcpSocket* Other(QTcpSocket* socket) const { return socket == local_ ? remote_ : local_; }

    // `everything`: past the bound, for the last bytes of a socket that hung up.
    void Carry(QTcpSocket* from, bool everything = false) {
        if (from == nullptr || over_ || !from->isOpen()) {
            return;
        }
        QTcpSocket* to = Other(from);
        if (to == nullptr || to->state() != QAbstractSocket::ConnectedState) {
            return; // held in `from`'s bounded buffer until `to` is there
        }
        const qint64 room = everything ? from->bytesAvailable() : kHeldBytes - to->bytesToWrite();
        const QByteArray bytes = from->read(std::min(room, from->bytesAvailable()));
        if (bytes.isEmpty()) {
            return;
        }
        to->write(bytes);
        heardRemote_ = heardRemote_ || from == remote_;
        if (from == remote_ && firstFromRemote) {
            std::function<void()> first = std::move(firstFromRemote);
            firstFromRemote = nullptr;
            first();
        }
    }

    QTcpSocket* local_ = nullptr;
    QTcpSocket* remote_ = nullptr;
    bool heardRemote_ = false;
    bool over_ = false;
};

// What the launcher reads of a peer before it has proven the code: the largest frame,
// and not a byte more is taken from the system while the peer is a stranger.
constexpr qint64 kGreetingBytes = 128;
// Peers greeted at once; one more drops the one greeted longest, so that silent strangers
// cannot keep the invited player out.
constexpr std::size_t kMostGreeted = 4;
// Hosting with plain DOSBox let in: a peer that says nothing this long is taken for one,
// whose driver speaks only once linked. A Marloven joiner says hello at once.
constexpr int kPlainSilenceMs = 1000;
// Joining: a host that says nothing this long after the hello is plain DOSBox, not
// Marloven (which challenges at once): the link is carried as it is.
constexpr int kPlainHostSilenceMs = 3000;
constexpr int kGreetTickMs = 100;

// Hosting: the public port takes one player at a time and reaches DOSBox for each:
// the answering modem by connecting to where it listens, the cable by the connection
// DOSBox made to the launcher's end at its start. Only a peer that proved the game code
// (or plain DOSBox, where the host lets it join) gets that far.
class TcpHostRelay : public Relay {
  public:
    explicit TcpHostRelay(const RelayPlan& plan) : Relay(plan) {
        connect(&greetTicker_, &QTimer::timeout, this, [this] { GreetTick(); });
    }

    std::optional<std::string> Open() override {
        if (auto refusal = HostingRefusal()) {
            return refusal;
        }
        if (!server_.listen(QHostAddress::Any, static_cast<quint16>(plan_.publicPort))) {
            if (server_.serverError() == QAbstractSocket::AddressInUseError) {
                return PortInUseMessage(LinkTransport::Tcp, plan_.publicPort);
            }
            return PortNotOpenedMessage(plan_.publicPort, server_.errorString());
        }
        if (plan_.dosboxConnects) {
            if (!dosboxEnd_.listen(QHostAddress::LocalHost, 0)) {
                return PortNotOpenedMessage(plan_.publicPort, dosboxEnd_.errorString());
            }
            dosboxPort_ = dosboxEnd_.serverPort();
            connect(&dosboxEnd_, &QTcpServer::newConnection, this, [this] { DosboxArrived(); });
        } else {
            dosboxPort_ = FreeLocalPort(LinkTransport::Tcp);
        }
        connect(&server_, &QTcpServer::newConnection, this, [this] { Accept(); });
        if (MeetingPlaceWay* way = HostAtMeetingPlace()) {
            way->streamArrived = [this](QTcpSocket* remote) {
                if (pipe_) {
                    remote->abort(); // one link at a time, as on the public port
                    remote->deleteLater();
                    return;
                }
                Link(remote, true);
            };
        }
        Wait();
        return std::nullopt;
    }

    void Close() override {
        CloseMeetingPlace();
        greetTicker_.stop();
        server_.close();
        dosboxEnd_.close();
        while (!greeted_.empty()) {
            Drop(greeted_.front().socket, false);
        }
        if (pipe_) {
            pipe_->End();
        }
        if (dosbox_) {
            dosbox_->abort();
        }
    }

  private:
    // A peer on the public port that has not proven the code yet.
    struct Greeted {
        QPointer<QTcpSocket> socket;
        QElapsedTimer since;
        QByteArray hostNonce; // empty until its hello
        QByteArray joinerNonce;
    };

    void Wait() { SetProgress(WaitingText()); }

    // DOSBox's cable reaches the launcher once, at its start.
    void DosboxArrived() {
        while (QTcpSocket* socket = dosboxEnd_.nextPendingConnection()) {
            if (dosbox_ || (pipe_ && pipe_->Local())) {
                socket->abort();
                socket->deleteLater();
                continue;
            }
            if (pipe_) {
                pipe_->SetLocal(socket);
            } else {
                Hold(socket);
            }
        }
    }

    void Accept() {
        while (QTcpSocket* remote = server_.nextPendingConnection()) {
            if (pipe_) {
                remote->abort(); // DOSBox's modem and cable take one link at a time
                remote->deleteLater();
                continue;
            }
            if (greeted_.size() >= kMostGreeted) {
                Drop(greeted_.front().socket, true);
            }
            remote->setParent(this);
            remote->setReadBufferSize(kGreetingBytes);
            greeted_.push_back({remote, {}, {}, {}});
            greeted_.back().since.start();
            connect(remote, &QTcpSocket::readyRead, this, [this, remote] { Greet(remote); });
            // A peer that leaves by itself was not turned away.
            connect(remote, &QTcpSocket::disconnected, this,
                    [this, remote] { Drop(remote, false); });
            greetTicker_.start(kGreetTickMs);
        }
    }

    Greeted* Find(const QTcpSocket* socket) {
        for (Greeted& greeted : greeted_) {
            if (greeted.socket == socket) {
                return &greeted;
            }
        }
        return nullptr;
    }

    // Reads the peer's frames as far as they have come: hello, then proof.
    void Greet(QTcpSocket* socket) {
        Greeted* greeted = Find(socket);
        if (greeted == nullptr) {
            return;
        }
        if (greeted->hostNonce.isEmpty()) {
            const qint64 size = static_cast<qint64>(FrameSize(ProofFrame::Hello));
            const QByteArray first = socket->peek(size);
            if (!MayBeMagic(first)) {
                if (plan_.plainPeersJoin) {
                    Link(socket);
                } else {
                    Drop(socket, true);
                }
                return;
            }
            if (first.size() < size) {
                return;
            }
            const auto hello = ProofFrameBody(socket->read(size), ProofFrame::Hello);
            if (!hello) {
                Drop(socket, true);
                return;
            }
            greeted->joinerNonce = *hello;
            greeted->hostNonce = RandomNonce();
            socket->write(ProofFrameBytes(ProofFrame::Challenge, greeted->hostNonce));
            return;
        }
        const qint64 size = static_cast<qint64>(FrameSize(ProofFrame::Proof));
        // A proof that must wait stays unread; the ticker comes back for it.
        if (socket->bytesAvailable() < size || ProofWaitMs() > 0) {
            return;
        }
        const auto body = ProofFrameBody(socket->read(size), ProofFrame::Proof);
        const auto parts =
            body ? ReadProofBody({body->constData(), std::size_t(body->size())}) : std::nullopt;
        if (!parts || parts->hostNonce != greeted->hostNonce.toStdString() ||
            parts->joinerNonce != greeted->joinerNonce.toStdString() || !ProofHolds(*parts)) {
            socket->write(ProofFrameBytes(ProofFrame::Refused));
            Drop(socket, true);
            return;
        }
        socket->write(AcceptedFrame(*parts));
        Link(socket);
    }

    void GreetTick() {
        std::vector<QPointer<QTcpSocket>> sockets;
        for (const Greeted& greeted : greeted_) {
            sockets.push_back(greeted.socket);
        }
        for (const QPointer<QTcpSocket>& socket : sockets) {
            Greeted* greeted = socket ? Find(socket) : nullptr;
            if (greeted == nullptr) {
                continue;
            }
            const qint64 since = greeted->since.elapsed();
            if (plan_.plainPeersJoin && greeted->hostNonce.isEmpty() &&
                socket->bytesAvailable() == 0 && since > kPlainSilenceMs) {
                Link(socket);
            } else if (since > kProofMs) {
                Drop(socket, true);
            } else {
                Greet(socket);
            }
        }
        if (greeted_.empty()) {
            greetTicker_.stop();
        }
    }

    // Turned away: what was written (a refusal) leaves before the socket closes.
    void Drop(QTcpSocket* socket, bool turnedAway) {
        std::erase_if(greeted_, [socket](const Greeted& greeted) {
            return greeted.socket == socket || greeted.socket.isNull();
        });
        if (socket == nullptr) {
            return;
        }
        socket->disconnect(this);
        if (socket->state() == QAbstractSocket::ConnectedState && socket->bytesToWrite() > 0) {
            connect(socket, &QAbstractSocket::disconnected, socket, &QObject::deleteLater);
            socket->disconnectFromHost();
        } else {
            socket->abort();
            socket->deleteLater();
        }
        if (turnedAway) {
            CountStranger();
        }
    }

    // The peer proved the code (or is plain DOSBox, let in, or came through the meeting
    // place): it takes the link, and the others still greeted go.
    void Link(QTcpSocket* remote, bool throughMeetingPlace = false) {
        std::erase_if(greeted_,
                      [remote](const Greeted& greeted) { return greeted.socket == remote; });
        remote->disconnect(this);
        while (!greeted_.empty()) {
            Drop(greeted_.front().socket, false);
        }
        const QString peer = throughMeetingPlace
                                 ? MeetingPlacePlayer()
                                 : DescribePeer(remote->peerAddress(), remote->peerPort());
        LinkedBy(throughMeetingPlace);
        QTcpSocket* local = plan_.dosboxConnects ? dosbox_.data() : new QTcpSocket;
        dosbox_ = nullptr;
        pipe_ = new Pipe(this, local, remote);
        pipe_->firstFromRemote = [this, peer] { MarkUp(peer); };
        pipe_->keepsLocal = plan_.dosboxConnects;
        pipe_->ended = [this](QTcpSocket* kept) { Ended(kept); };
        SetProgress(QStringLiteral("Linking with %1").arg(peer));
        if (!plan_.dosboxConnects) {
            dosboxWait_.start();
            ReachDosbox(pipe_);
        }
    }

    // DOSBox's cable while no player is there; gone if DOSBox drops it.
    void Hold(QTcpSocket* socket) {
        dosbox_ = socket;
        socket->setParent(this);
        socket->setReadBufferSize(kHeldBytes);
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }

    // A player who left before anything reached DOSBox leaves DOSBox's cable for the
    // next: it never knew of them.
    void Ended(QTcpSocket* kept) {
        if (kept != nullptr) {
            Hold(kept);
        }
        if (!IsUp()) {
            Wait();
        }
    }

    // DOSBox may still be starting when the first player arrives.
    void ReachDosbox(const QPointer<Pipe>& pipe) {
        QTcpSocket* local = pipe->Local();
        const auto retry = connect(local, &QTcpSocket::errorOccurred, pipe, [this, pipe] {
            if (dosboxWait_.elapsed() > kDosboxReadyMs) {
                pipe->End();
                return;
            }
            QTimer::singleShot(kDosboxRetryMs, pipe, [this, pipe] {
                pipe->Local()->connectToHost(QHostAddress::LocalHost,
                                             static_cast<quint16>(dosboxPort_));
            });
        });
        connect(local, &QTcpSocket::connected, pipe, [retry] { QObject::disconnect(retry); });
        local->connectToHost(QHostAddress::LocalHost, static_cast<quint16>(dosboxPort_));
    }

    QTcpServer server_;
    QTcpServer dosboxEnd_;
    QPointer<QTcpSocket> dosbox_;
    QPointer<Pipe> pipe_;
    QElapsedTimer dosboxWait_;
    std::list<Greeted> greeted_;
    QTimer greetTicker_;
};

// Joining: each connection DOSBox makes to the local end is one try at the host. DOSBox's
// connection waits, its bytes held, until the launcher has proven the code to the host.
class TcpJoinRelay : public JoinRelay {
  public:
    explicit TcpJoinRelay(const RelayPlan& plan) : JoinRelay(plan) {
        plainHost_.setSingleShot(true);
        connect(&plainHost_, &QTimer::timeout, this, [this] { Link(); });
    }

    std::optional<QString> BindLocalEnd() override {
        if (!server_.listen(QHostAddress::LocalHost, 0)) {
            return server_.errorString();
        }
        dosboxPort_ = server_.serverPort();
        connect(&server_, &QTcpServer::newConnection, this, [this] { Accept(); });
        return std::nullopt;
    }

    // DOSBox may have called before the host's name was looked up.
    void HostFound(const QList<QHostAddress>&) override {
        if (local_ && !remote_) {
            ConnectTo(0);
        }
    }

    void NoSuchHost() override { EndTry(TryEnd::NoSuchHost); }

    void Close() override {
        server_.close();
        EndTry(TryEnd::HungUp);
    }

  private:
    void Accept() {
        while (QTcpSocket* local = server_.nextPendingConnection()) {
            if (local_ || pipe_) {
                local->abort();
                local->deleteLater();
                continue;
            }
            local_ = local;
            local->setParent(this);
            local->setReadBufferSize(kHeldBytes);
            connect(local, &QTcpSocket::disconnected, this, [this] { EndTry(TryEnd::HungUp); });
            StartTry();
            if (MeetsOnly()) {
                EndTry(TryEnd::Unreachable); // on to the meeting place
            } else if (lookup_.Finished() && !lookup_.Addresses().isEmpty()) {
                ConnectTo(0);
            }
        }
    }

    void ConnectTo(int index) {
        address_ = index;
        DropRemote();
        remote_ = new QTcpSocket(this);
        remote_->setReadBufferSize(kGreetingBytes);
        connect(remote_, &QTcpSocket::connected, this, [this] { Connected(); });
        connect(remote_, &QTcpSocket::readyRead, this, [this] { Greet(); });
        connect(remote_, &QTcpSocket::errorOccurred, this,
                [this](QAbstractSocket::SocketError error) { Missed(error); });
        hostNonce_.clear();
        greeting_ = false;
        remote_->connectToHost(lookup_.Addresses().at(index),
                               static_cast<quint16>(plan_.remote.port));
    }

    void DropRemote() {
        plainHost_.stop();
        if (remote_) {
            remote_->disconnect(this);
            remote_->abort();
            remote_->deleteLater();
        }
        remote_ = nullptr;
    }

    void Connected() {
        greeting_ = true;
        joinerNonce_ = RandomNonce();
        remote_->write(ProofFrameBytes(ProofFrame::Hello, joinerNonce_));
        plainHost_.start(kPlainHostSilenceMs);
    }

    // The host's frames as far as they have come: challenge, then its answer.
    void Greet() {
        if (hostNonce_.isEmpty()) {
            const qint64 size = static_cast<qint64>(FrameSize(ProofFrame::Challenge));
            const QByteArray first = remote_->peek(size);
            if (!MayBeMagic(first)) {
                Link(); // plain DOSBox hosts, and speaks first
                return;
            }
            if (first.size() < size) {
                return;
            }
            plainHost_.stop();
            const auto challenge = ProofFrameBody(remote_->read(size), ProofFrame::Challenge);
            if (!challenge) {
                EndTry(TryEnd::Closed);
                return;
            }
            hostNonce_ = *challenge;
            if (!code_) {
                // The host waits for no one who asks a player: this connection goes, and
                // the next one brings the code.
                DropRemote();
                NeedCode([this] {
                    if (local_) {
                        ConnectTo(address_);
                    }
                });
                return;
            }
            remote_->write(ProofFrameFor(hostNonce_, joinerNonce_));
            return;
        }
        if (ProofFrameBody(remote_->peek(FrameSize(ProofFrame::Refused)), ProofFrame::Refused)) {
            CodeRefused();
            EndTry(TryEnd::CodeRefused);
            return;
        }
        const qint64 size = static_cast<qint64>(FrameSize(ProofFrame::Accepted));
        if (remote_->bytesAvailable() < size) {
            return;
        }
        const auto answer = ProofFrameBody(remote_->read(size), ProofFrame::Accepted);
        if (!answer || !HostAnswerHolds(*answer, hostNonce_, joinerNonce_)) {
            EndTry(TryEnd::CodeRefused); // a host that does not know the code either
            return;
        }
        Link();
    }

    // The code is proven, or the host is plain DOSBox: DOSBox's connection and the
    // host's are carried from here on.
    void Link() {
        plainHost_.stop();
        if (!local_ || !remote_) {
            return;
        }
        local_->disconnect(this);
        remote_->disconnect(this);
        pipe_ = new Pipe(this, local_, remote_);
        local_ = nullptr;
        remote_ = nullptr;
        pipe_->firstFromRemote = [this] { MarkUp(AddressText(plan_.remote)); };
        pipe_->ended = [this](QTcpSocket*) { StopTry(); };
        StopTry();
        LinkedBy(false);
        SetProgress(QStringLiteral("Linked with %1, waiting for the other player's game")
                        .arg(AddressText(plan_.remote)));
    }

    void Missed(QAbstractSocket::SocketError error) {
        if (!remote_ || !Trying()) {
            return;
        }
        if (greeting_) {
            // Closed by the host before the proof was taken: turned away.
            if (!hostNonce_.isEmpty()) {
                CodeRefused();
            }
            EndTry(hostNonce_.isEmpty() ? TryEnd::Closed : TryEnd::CodeRefused);
            return;
        }
        if (address_ + 1 < lookup_.Addresses().size()) {
            ConnectTo(address_ + 1);
            return;
        }
        EndTry(error == QAbstractSocket::ConnectionRefusedError ? TryEnd::Refused
               : error == QAbstractSocket::SocketTimeoutError   ? TryEnd::NoAnswer
                                                                : TryEnd::Unreachable);
    }

    void NoAnswer() override { EndTry(TryEnd::NoAnswer); }

    // A try that failed hangs up on DOSBox, which tells the driver ("NO CARRIER"), unless
    // the meeting place takes DOSBox's connection on to the host.
    void EndTry(TryEnd end) override {
        if (local_ && FallsBack(end)) {
            DropRemote();
            // The way tells when DOSBox hangs up, once what it sent has left.
            local_->disconnect(this);
            meet_->CarryStream(local_);
            return;
        }
        const bool trying = Trying();
        CloseMeetingPlace();
        StopTry();
        DropRemote();
        if (local_) {
            local_->disconnect(this);
            local_->abort();
            local_->deleteLater();
            local_ = nullptr;
        }
        if (pipe_) {
            pipe_->End();
        }
        if (trying && end != TryEnd::HungUp && end != TryEnd::NoSuchHost) {
            FailTry(TryFailure(end));
        }
    }

    QTcpServer server_;
    QPointer<QTcpSocket> local_;
    QPointer<QTcpSocket> remote_;
    QPointer<Pipe> pipe_;
    QTimer plainHost_;
    QByteArray joinerNonce_;
    QByteArray hostNonce_;
    bool greeting_ = false;
    int address_ = 0;
};

} // namespace

std::unique_ptr<Relay> MakeTcpHostRelay(const RelayPlan& plan) {
    return std::make_unique<TcpHostRelay>(plan);
}

std::unique_ptr<Relay> MakeTcpJoinRelay(const RelayPlan& plan) {
    return std::make_unique<TcpJoinRelay>(plan);
}

} // namespace marloven
