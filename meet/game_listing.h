// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "meet/game_offer.h"
#include "meet/sealed_box.h"

#include <QByteArray>
#include <QMap>
#include <QObject>
#include <QString>
#include <optional>

// The games list at the meeting place: each host that lists its game keeps one retained
// message under "marloven/list/<its client id>", signed with its own key, and the broker
// sends the host's last will, an empty retained message, when the host goes without a
// word: the game leaves the list with its host.
namespace marloven {

class BrokerClient;

inline constexpr const char* kListingPrefix = "marloven/list/";
// A listing is small; anything larger is not read.
inline constexpr int kMostListingBytes = 2048;

struct GameListing : GameOffer {
    // Everyone may join (the code is in the listing), or only the invited, who have it.
    bool open = false;
    QString code;
    // Filled in when a listing is read: who signed it, and the client id it is under.
    QByteArray hostKey;
    QString clientId;
};

// The retained message for a listing, signed with the host's key and tied to its client
// id, so that it cannot be shown under another.
QByteArray SignedListing(const GameListing& listing, const QString& clientId,
                         const SigningKey& key);
// Nothing for a message that is too long, unsigned, badly signed, under another client
// id than it names, or with fields out of bounds.
std::optional<GameListing> ReadListing(const QString& topic, const QByteArray& payload);

// A short, stable name for a host's key that players can compare: "3F9A-C210".
QString KeyFingerprint(const QByteArray& publicKey);

// Hosting: keeps the game on the list while the host is connected. Made before the
// client connects, as it sets the client's last will.
class ListingPublisher : public QObject {
    Q_OBJECT
  public:
    ListingPublisher(BrokerClient& broker, const SigningKey& key, QObject* parent = nullptr);
    // Lists the game, or lists it anew (players free changed).
    void Publish(const GameListing& listing);
    // Takes the game off the list.
    void Clear();

  private:
    void Send();

    BrokerClient& broker_;
    SigningKey key_;
    QString topic_;
    std::optional<GameListing> listing_;
};

// Joining: the games the meeting place lists, kept up to date.
class GamesList : public QObject {
    Q_OBJECT
  public:
    explicit GamesList(BrokerClient& broker, QObject* parent = nullptr);
    QList<GameListing> Games() const { return games_.values(); }

  signals:
    void changed();

  private:
    void Heard(const QString& topic, const QByteArray& payload);

    QMap<QString, GameListing> games_;
};

} // namespace marloven
