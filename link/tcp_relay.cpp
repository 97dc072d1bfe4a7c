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

// One link's two sockets: what arrives on one leaves by the other, held back until the
// other is connected. When either side closes, the other is closed after what it still
// has to send.
class Pipe : public QObject {
  public:
    std::function<void()> firstFromRemote;
    std::function<void()> ended;

    Pipe(QObject* parent, QTcpSocket* local, QTcpSocket* remote)
        : QObject(parent), local_(local), remote_(remote) {
        for (QTcpSocket* socket : {local_, remote_}) {
            socket->setParent(this);
            socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { Carry(socket); });
            connect(socket, &QTcpSocket::connected, this, [this, socket] { Flush(socket); });
            connect(socket, &QTcpSocket::disconnected, this, [this] { End(); });
        }
    }

    QTcpSocket* Local() const { return local_; }
    QTcpSocket* Remote() const { return remote_; }

    // Ends the link at once, both sockets closed.
    void End() {
        if (over_) {
            return;
        }
        over_ = true;
        for (QTcpSocket* socket : {local_, remote_}) {
            socket->disconnect();
            if (socket->state() == QAbstractSocket::ConnectedState) {
                // It goes once the bytes it still holds have left.
                socket->setParent(parent());
                connect(socket, &QAbstractSocket::disconnected, socket, &QObject::deleteLater);
                socket->disconnectFromHost();
            } else {
                socket->abort();
            }
        }
        deleteLater();
        if (ended) {
            ended();
        }
    }

  private:
    QTcpSocket* Other(QTcpSocket* socket) const { return socket == local_ ? remote_ : local_; }

    void Carry(QTcpSocket* from) {
        const QByteArray bytes = from->readAll();
        QTcpSocket* to = Other(from);
        if (to->state() == QAbstractSocket::ConnectedState) {
            to->write(bytes);
        } else {
            (to == local_ ? toLocal_ : toRemote_) += bytes;
        }
        if (from == remote_ && !bytes.isEmpty() && firstFromRemote) {
            firstFromRemote();
            firstFromRemote = nullptr;
        }
    }

    void Flush(QTcpSocket* socket) {
        QByteArray& held = socket == local_ ? toLocal_ : toRemote_;
        if (!held.isEmpty()) {
            socket->write(held);
            held.clear();
        }
    }

    QTcpSocket* local_;
    QTcpSocket* remote_;
    QByteArray toLocal_;
    QByteArray toRemote_;
    bool over_ = false;
};

// Hosting: the public port takes one player at a time and reaches DOSBox for each.
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
        dosboxPort_ = FreeLocalPort(LinkTransport::Tcp);
        connect(&server_, &QTcpServer::newConnection, this, [this] { Accept(); });
        Wait();
        return std::nullopt;
    }

    void Close() override {
        server_.close();
        if (pipe_) {
            pipe_->End();
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

    void Accept() {
        while (QTcpSocket* remote = server_.nextPendingConnection()) {
            if (pipe_) {
                remote->abort(); // DOSBox's modem and cable take one link at a time
                remote->deleteLater();
                continue;
            }
            const QString peer = DescribePeer(remote->peerAddress(), remote->peerPort());
            pipe_ = new Pipe(this, new QTcpSocket, remote);
            pipe_->firstFromRemote = [this, peer] { MarkUp(peer); };
            pipe_->ended = [this] {
                if (!IsUp()) {
                    Wait();
                }
            };
            SetProgress(QStringLiteral("Linking with %1").arg(peer));
            dosboxWait_.start();
            ReachDosbox(pipe_);
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
            pipe_->ended = [this] { StopTry(); };
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
