// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the modem's and the null-modem cable's link share, hosting and joining: the pipe
// between DOSBox's socket on 127.0.0.1 and the other player's, and the bounds on what is
// read of a peer before it has proven the code.

#include "link/relay_parts.h"

#include <QTcpSocket>
#include <functional>

namespace marloven {

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

} // namespace marloven
