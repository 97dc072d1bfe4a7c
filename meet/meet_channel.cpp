// SPDX-License-Identifier: GPL-3.0-or-later
#include "meet/meet_channel.h"

#include <QtEndian>
#include <algorithm>

namespace marloven {
namespace {

// What one message inside the seal is: its first byte, then
//   Data      seq (8) | bytes          a piece of the stream
//   Ack       next seq expected (8)    everything before it arrived
//   Ping/Pong sender's clock (8)       measures the round trip
//   Datagram  bytes                    one IPX datagram
//   Bye                                the link is over
enum Kind : char { kData = 'D', kAck = 'A', kPing = 'P', kPong = 'Q', kDatagram = 'G', kBye = 'B' };
constexpr int kNumberBytes = 8;
constexpr int kTickMs = 20;

QByteArray Frame(Kind kind, std::uint64_t number, const QByteArray& bytes = {}) {
    QByteArray frame(1 + kNumberBytes, '\0');
    frame[0] = kind;
    qToBigEndian(number, frame.data() + 1);
    return frame + bytes;
}

std::uint64_t NumberOf(const QByteArray& plain) {
    return qFromBigEndian<std::uint64_t>(plain.constData() + 1);
}

} // namespace

MeetChannel::MeetChannel(ChannelMode mode, Send send, QObject* parent)
    : QObject(parent), mode_(mode), send_(std::move(send)) {
    clock_.start();
    connect(&ticker_, &QTimer::timeout, this, &MeetChannel::Tick);
    ticker_.start(kTickMs);
    connect(&pinger_, &QTimer::timeout, this, [this] { Ping(); });
    pinger_.start(kPingMs);
    // The first ping also tells a host that this player has arrived.
    Ping();
}

bool MeetChannel::Write(const QByteArray& bytes) {
    if (over_) {
        return false;
    }
    if (mode_ == ChannelMode::Datagrams) {
        QByteArray frame(1, kDatagram);
        return send_(frame + bytes);
    }
    if (queuedBytes_ + bytes.size() > kMostQueued) {
        return false;
    }
    for (qsizetype at = 0; at < bytes.size(); at += kPieceBytes) {
        queue_.push_back(bytes.mid(at, kPieceBytes));
    }
    queuedBytes_ += bytes.size();
    Fill();
    return true;
}

void MeetChannel::Fill() {
    while (!queue_.empty() && inFlight_.size() < kWindow) {
        inFlight_.push_back({nextSeq_++, std::move(queue_.front()), -1});
        queue_.pop_front();
        SendPiece(inFlight_.back());
    }
}

void MeetChannel::SendPiece(Piece& piece) {
    if (piece.sentAt >= 0) {
        ++resent_;
    }
    piece.sentAt = clock_.elapsed();
    send_(Frame(kData, piece.seq, piece.bytes));
}

int MeetChannel::ResendMs() const {
    if (smoothedMs_ < 0) {
        return 500;
    }
    return std::clamp(static_cast<int>(2 * smoothedMs_) + 100, 200, 3000);
}

void MeetChannel::Tick() {
    if (over_) {
        return;
    }
    const auto now = clock_.elapsed();
    if (heardAt_ + kSilenceMs < now) {
        over_ = true;
        emit Closed(QStringLiteral("The other player has not been heard from for %1 s.")
                        .arg(kSilenceMs / 1000));
        return;
    }
    const auto due = now - ResendMs();
    for (auto& piece : inFlight_) {
        if (piece.sentAt <= due) {
            SendPiece(piece);
        }
    }
}

// The clock is sent one past its reading, so that no ping carries 0.
void MeetChannel::Ping() {
    send_(Frame(kPing, static_cast<std::uint64_t>(clock_.elapsed()) + 1));
}

void MeetChannel::SendAck() {
    ackDue_ = false;
    send_(Frame(kAck, expected_));
}

void MeetChannel::Handle(const QByteArray& plain) {
    if (over_ || plain.isEmpty()) {
        return;
    }
    heardAt_ = clock_.elapsed();
    const auto kind = plain[0];
    const bool numbered = plain.size() >= 1 + kNumberBytes;
    switch (kind) {
    case kDatagram:
        if (mode_ == ChannelMode::Datagrams) {
            emit Received(plain.mid(1));
        }
        break;
    case kData:
        if (numbered && mode_ == ChannelMode::Stream) {
            Take(NumberOf(plain), plain.mid(1 + kNumberBytes));
        }
        break;
    case kAck:
        if (numbered) {
            const auto next = NumberOf(plain);
            const auto before = queuedBytes_;
            while (!inFlight_.empty() && inFlight_.front().seq < next) {
                queuedBytes_ -= inFlight_.front().bytes.size();
                inFlight_.pop_front();
            }
            Fill();
            const auto half = kMostQueued / 2;
            if ((before > half && queuedBytes_ <= half) || (before > 0 && queuedBytes_ == 0)) {
                emit Drained();
            }
        }
        break;
    case kPing:
        if (numbered) {
            send_(Frame(kPong, NumberOf(plain)));
        }
        break;
    case kPong:
        if (numbered && NumberOf(plain) > 0) {
            const auto sentAt = static_cast<qint64>(NumberOf(plain)) - 1;
            if (sentAt <= clock_.elapsed()) {
                roundTripMs_ = static_cast<int>(clock_.elapsed() - sentAt);
                smoothedMs_ =
                    smoothedMs_ < 0 ? roundTripMs_ : 0.875 * smoothedMs_ + 0.125 * roundTripMs_;
                emit RoundTripMeasured(roundTripMs_);
            }
        }
        break;
    case kBye:
        over_ = true;
        emit Closed(QStringLiteral("The other player ended the link."));
        break;
    default:
        break;
    }
}

void MeetChannel::Take(std::uint64_t seq, const QByteArray& bytes) {
    if (!ackDue_) {
        ackDue_ = true;
        QTimer::singleShot(0, this, &MeetChannel::SendAck);
    }
    if (seq < expected_ || seq >= expected_ + static_cast<decltype(expected_)>(2 * kWindow)) {
        return;
    }
    if (seq > expected_) {
        early_.insert(seq, bytes);
        return;
    }
    QByteArray ready = bytes;
    ++expected_;
    for (auto next = early_.find(expected_); next != early_.end(); next = early_.find(expected_)) {
        ready += next.value();
        early_.erase(next);
        ++expected_;
    }
    early_.erase(early_.begin(), early_.lowerBound(expected_));
    emit Received(ready);
}

void MeetChannel::Close() {
    if (!over_) {
        over_ = true;
        send_(QByteArray(1, kBye));
    }
    ticker_.stop();
    pinger_.stop();
}

} // namespace marloven
