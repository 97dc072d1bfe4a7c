// SPDX-License-Identifier: GPL-3.0-or-later
// The modem's and the null-modem cable's link: TCP between DOSBox and the launcher on
// 127.0.0.1, and between the launcher and the other player.

#include "link/relay_parts.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

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
        connect(socket, &QTcpSocket::disconnected, this, [this] { End(); });
    }

    QTcpSocket* Other(QTcpSocket* socket) const { return socket == local_ ? remote_ : local_; }

    void Carry(QTcpSocket* from) {
        if (from == nullptr || over_ || !from->isOpen()) {
            return;
        }
        QTcpSocket* to = Other(from);
        if (to == nullptr || to->state() != QAbstractSocket::ConnectedState) {
            return; // held in `from`'s bounded buffer until `to` is there
        }
        const qint64 room = kHeldBytes - to->bytesToWrite();
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

// Hosting: the public port takes one player at a time and reaches DOSBox for each:
// the answering modem by connecting to where it listens, the cable by the connection
// DOSBox made to the launcher's end at its start.
class TcpHostRelay : public Relay {
  public:
    explicit TcpHostRelay(const RelayPlan& plan) : Relay(plan) {}

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
        Wait();
        return std::nullopt;
    }

    void Close() override {
        server_.close();
        dosboxEnd_.close();
        if (pipe_) {
            pipe_->End();
        }
        if (dosbox_) {
            dosbox_->abort();
        }
    }

  private:
    void Wait() {
        const QStringList told = AddressesToTell();
        SetProgress(QStringLiteral("Waiting for %1 on port %2 \u2014 tell: %3")
                        .arg(plan_.waitingFor)
                        .arg(plan_.publicPort)
                        .arg(told.value(0)));
    }

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
            const QString peer = DescribePeer(remote->peerAddress(), remote->peerPort());
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
};

// Joining: each connection DOSBox makes to the local end is one try at the host.
class TcpJoinRelay : public JoinRelay {
  public:
    explicit TcpJoinRelay(const RelayPlan& plan) : JoinRelay(plan) {}

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
        if (pipe_ && !pipe_->Remote()->isOpen()) {
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
            if (pipe_) {
                local->abort();
                local->deleteLater();
                continue;
            }
            pipe_ = new Pipe(this, local, new QTcpSocket);
            pipe_->firstFromRemote = [this] { MarkUp(AddressText(plan_.remote)); };
            pipe_->ended = [this](QTcpSocket*) { StopTry(); };
            QTcpSocket* remote = pipe_->Remote();
            connect(remote, &QTcpSocket::connected, this, [this] { Connected(); });
            connect(remote, &QTcpSocket::errorOccurred, this,
                    [this](QAbstractSocket::SocketError error) { Missed(error); });
            StartTry();
            if (lookup_.Finished() && !lookup_.Addresses().isEmpty()) {
                ConnectTo(0);
            }
        }
    }

    void ConnectTo(int index) {
        address_ = index;
        pipe_->Remote()->connectToHost(lookup_.Addresses().at(index),
                                       static_cast<quint16>(plan_.remote.port));
    }

    void Connected() {
        StopTry();
        SetProgress(QStringLiteral("Linked with %1, waiting for the other player's game")
                        .arg(AddressText(plan_.remote)));
    }

    void Missed(QAbstractSocket::SocketError error) {
        if (!pipe_ || !Trying()) {
            return; // the link was up: its end is the pipe's
        }
        if (address_ + 1 < lookup_.Addresses().size()) {
            pipe_->Remote()->abort();
            ConnectTo(address_ + 1);
            return;
        }
        EndTry(error == QAbstractSocket::ConnectionRefusedError ? TryEnd::Refused
               : error == QAbstractSocket::SocketTimeoutError   ? TryEnd::NoAnswer
                                                                : TryEnd::Unreachable);
    }

    void NoAnswer() override { EndTry(TryEnd::NoAnswer); }

    // A try that failed hangs up on DOSBox, which tells the driver ("NO CARRIER").
    void EndTry(TryEnd end) {
        const bool trying = Trying();
        StopTry();
        if (pipe_) {
            pipe_->End();
        }
        if (trying && end != TryEnd::HungUp && end != TryEnd::NoSuchHost) {
            FailTry(CouldNotReach(plan_, end));
        }
    }

    QTcpServer server_;
    QPointer<Pipe> pipe_;
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
