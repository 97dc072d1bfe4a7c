// SPDX-License-Identifier: GPL-3.0-or-later
// Hosting the modem or the null-modem cable: TCP between the other player and the
// launcher's public port, and between the launcher and DOSBox on 127.0.0.1.

#include "link/tcp_pipe.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QTcpServer>
#include <QTimer>
#include <list>
#include <vector>

namespace marloven {

namespace {

constexpr int kDosboxRetryMs = 200;
// Peers greeted at once; one more drops the one greeted longest, so that silent strangers
// cannot keep the invited player out.
constexpr std::size_t kMostGreeted = 4;
// Hosting with plain DOSBox let in: a peer that says nothing this long is taken for one,
// whose driver speaks only once linked. A Marloven joiner says hello at once.
constexpr int kPlainSilenceMs = 1000;
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
        pipe_->firstFromRemote = [this, peer] {
            MarkUp(peer);
            PlayerArrived();
        };
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

} // namespace

std::unique_ptr<Relay> MakeTcpHostRelay(const RelayPlan& plan) {
    return std::make_unique<TcpHostRelay>(plan);
}

} // namespace marloven
