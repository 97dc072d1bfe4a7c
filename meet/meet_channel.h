// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QMap>
#include <QObject>
#include <QTimer>
#include <cstdint>
#include <deque>
#include <functional>

// One player's end of the link with another through the meeting place. The broker may
// lose messages (a connection dropped, the broker restarted), so a stream numbers its
// pieces, has them acknowledged and sends again what was not: the serial streams lose
// nothing and keep their order. IPX's datagrams go as they come, as over UDP.
namespace marloven {

enum class ChannelMode { Stream, Datagrams };

class MeetChannel : public QObject {
    Q_OBJECT
  public:
    // Within the broker's limit on one message, with room for the seal.
    static constexpr int kPieceBytes = 8192;
    // Pieces sent and not yet acknowledged.
    static constexpr int kWindow = 64;
    // Bytes waiting to be sent; past this Write refuses, and the writer waits for drained().
    static constexpr qsizetype kMostQueued = 1 << 20;
    static constexpr int kPingMs = 1000;
    // Silence from the other player for this long ends the link.
    static constexpr int kSilenceMs = 20000;

    // `send` seals and publishes one message for the other player, false when it could
    // not be sent now.
    using Send = std::function<bool(const QByteArray& plain)>;
    MeetChannel(ChannelMode mode, Send send, QObject* parent = nullptr);

    // Stream: queues the bytes (false, and nothing queued, when the queue is full).
    // Datagrams: sends one datagram now.
    bool Write(const QByteArray& bytes);
    // Hands the channel a message the other player sent (opened already).
    void Handle(const QByteArray& plain);
    // Tells the other player the link is over.
    void Close();

    qsizetype Queued() const { return queuedBytes_; }
    // The last round trip measured to the other player, -1 before the first.
    int RoundTripMs() const { return roundTripMs_; }
    // How many messages were sent again after a loss.
    quint64 Resent() const { return resent_; }

  signals:
    void Received(const QByteArray& bytes);
    void RoundTripMeasured(int ms);
    void Drained();
    // The other player said goodbye or fell silent.
    void Closed(const QString& why);

  private:
    struct Piece {
        std::uint64_t seq = 0;
        QByteArray bytes;
        qint64 sentAt = -1;
    };
    void Fill();
    void SendPiece(Piece& piece);
    void Ping();
    void SendAck();
    void Tick();
    int ResendMs() const;
    void Take(std::uint64_t seq, const QByteArray& bytes);

    ChannelMode mode_;
    Send send_;
    QElapsedTimer clock_;
    QTimer ticker_;
    QTimer pinger_;
    // Sending.
    std::deque<QByteArray> queue_;
    qsizetype queuedBytes_ = 0;
    std::deque<Piece> inFlight_;
    std::uint64_t nextSeq_ = 0;
    // Receiving.
    std::uint64_t expected_ = 0;
    QMap<std::uint64_t, QByteArray> early_;
    bool ackDue_ = false;
    qint64 heardAt_ = 0;
    int roundTripMs_ = -1;
    double smoothedMs_ = -1;
    quint64 resent_ = 0;
    bool over_ = false;
};

} // namespace marloven
