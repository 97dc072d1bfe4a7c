// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "comm/game_code.h"
#include "comm/internet_link.h"
#include "meet/meet_channel.h"
#include "meet/sealed_box.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <cstdint>

// One game at the meeting place: its topics and its key are made from the game's code,
// so that the broker sees random topic names and sealed bytes, and only who has the code
// finds the game, reads it or sends into it.
namespace marloven {

class BrokerClient;

// Everything under this prefix is a game's; its access rules let any client use it.
inline constexpr const char* kGameTopicPrefix = "marloven/game/";
// The host's id among the game's players; each joiner picks a random other one.
inline constexpr std::uint32_t kHostPlayerId = 0;

struct GameSecrets {
    SealKey linkKey{};
    // The game's topics lie beneath this one: "marloven/game/<32 hex digits>".
    QString base;
};
GameSecrets SecretsOf(const GameCode& code);

class MeetGame : public QObject {
    Q_OBJECT
  public:
    // Players a host takes, itself left out (IPX's eight at most).
    static constexpr int kMostJoiners = kMostNetworkPlayers - 1;

    // Hosting waits for players; joining opens the channel to the host at once.
    MeetGame(BrokerClient& broker, const GameCode& code, ChannelMode mode, bool hosting,
             QObject* parent = nullptr);

    std::uint32_t OwnId() const { return ownId_; }
    // Joining: the channel to the host.
    MeetChannel* HostChannel() const { return channels_.value(kHostPlayerId); }
    // Messages that were not the game's own (forged, damaged, played again), refused.
    quint64 Refused() const { return refused_; }
    // Sealed bytes this player published and heard, for the figures a server is sized by.
    quint64 BytesSent() const { return bytesSent_; }
    quint64 BytesHeard() const { return bytesHeard_; }
    // Says goodbye on every channel.
    void Close();

  signals:
    // Hosting: a player with the code has arrived.
    void PlayerArrived(MeetChannel* channel, quint32 playerId);

  private:
    QString InboxOf(std::uint32_t playerId) const;
    MeetChannel* Open(std::uint32_t playerId);
    void Heard(const QString& topic, const QByteArray& payload);

    BrokerClient& broker_;
    GameSecrets secrets_;
    ChannelMode mode_;
    std::uint32_t ownId_ = kHostPlayerId;
    SealedBox box_;
    QString inbox_;
    QHash<std::uint32_t, MeetChannel*> channels_;
    quint64 refused_ = 0;
    quint64 bytesSent_ = 0;
    quint64 bytesHeard_ = 0;
};

} // namespace marloven
