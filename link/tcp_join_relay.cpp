// SPDX-License-Identifier: GPL-3.0-or-later
// Joining by the modem's call or the null-modem cable: TCP between DOSBox and the
// launcher's end on 127.0.0.1, and between the launcher and the host.

#include "link/tcp_pipe.h"

#include <QPointer>
#include <QTcpServer>
#include <QTimer>

namespace marloven {

namespace {

// Joining: a host that says nothing this long after the hello is plain DOSBox, not
// Marloven (which challenges at once): the link is carried as it is.
constexpr int kPlainHostSilenceMs = 3000;

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

std::unique_ptr<Relay> MakeTcpJoinRelay(const RelayPlan& plan) {
    return std::make_unique<TcpJoinRelay>(plan);
}

} // namespace marloven
