// SPDX-License-Identifier: GPL-3.0-or-later
#include "meet/meet_game.h"

#include "meet/broker_client.h"

#include <QtEndian>

namespace marloven {
namespace {

QByteArray CodeBytes(const GameCode& code) {
    return QByteArray(reinterpret_cast<const char*>(code.bytes.data()),
                      static_cast<qsizetype>(code.bytes.size()));
}

std::uint32_t RandomJoinerId() {
    for (;;) {
        const auto bytes = RandomBytes(4);
        const auto id = qFromBigEndian<std::uint32_t>(bytes.constData());
        if (id != kHostPlayerId) {
            return id;
        }
    }
}

} // namespace

GameSecrets SecretsOf(const GameCode& code) {
    GameSecrets secrets;
    secrets.linkKey = DeriveKey(CodeBytes(code), "link");
    const auto topic = DeriveKey(CodeBytes(code), "topic");
    secrets.base =
        QString::fromLatin1(kGameTopicPrefix) +
        QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(topic.data()), 16).toHex());
    return secrets;
}

MeetGame::MeetGame(BrokerClient& broker, const GameCode& code, ChannelMode mode, bool hosting,
                   QObject* parent)
    : QObject(parent), broker_(broker), secrets_(SecretsOf(code)), mode_(mode),
      ownId_(hosting ? kHostPlayerId : RandomJoinerId()), box_(secrets_.linkKey, ownId_),
      inbox_(InboxOf(ownId_)) {
    connect(&broker_, &BrokerClient::Message, this, &MeetGame::Heard);
    broker_.Subscribe(inbox_);
    if (!hosting) {
        Open(kHostPlayerId);
    }
}

QString MeetGame::InboxOf(std::uint32_t playerId) const {
    return secrets_.base + QLatin1Char('/') +
           QStringLiteral("%1").arg(playerId, 8, 16, QLatin1Char('0'));
}

MeetChannel* MeetGame::Open(std::uint32_t playerId) {
    const auto topic = InboxOf(playerId);
    auto* channel = new MeetChannel(
        mode_,
        [this, topic](const QByteArray& plain) {
            const auto sealed = box_.Seal(plain, topic.toUtf8());
            bytesSent_ += static_cast<quint64>(sealed.size());
            return broker_.Publish(topic, sealed);
        },
        this);
    channels_.insert(playerId, channel);
    return channel;
}

void MeetGame::Heard(const QString& topic, const QByteArray& payload) {
    if (topic != inbox_) {
        return;
    }
    bytesHeard_ += static_cast<quint64>(payload.size());
    auto opened = box_.Open(payload, topic.toUtf8());
    if (!opened || opened->sender == ownId_) {
        ++refused_;
        return;
    }
    auto* channel = channels_.value(opened->sender);
    if (!channel) {
        // Only the host takes players it did not call; a joiner hears only the host.
        if (ownId_ != kHostPlayerId || channels_.size() >= kMostJoiners) {
            ++refused_;
            return;
        }
        // Told before its first message is handed on, so that no byte reaches nobody.
        channel = Open(opened->sender);
        emit PlayerArrived(channel, opened->sender);
    }
    channel->Handle(opened->plain);
}

void MeetGame::Close() {
    for (auto* channel : std::as_const(channels_)) {
        channel->Close();
    }
}

} // namespace marloven
