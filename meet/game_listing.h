// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "meet/game_offer.h"
#include "meet/sealed_box.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QMap>
#include <QObject>
#include <QString>
#include <QTimer>
#include <optional>

// The games list at the meeting place: each host that lists its game keeps one retained
// message under "marloven/list/<its client id>", signed with its own key. A host that
// ends clears it; one that crashes has it cleared by its last will, an empty retained
// message the broker sends at once for a closed connection. A host whose line went dead
// is noticed by the broker only after its keep-alive and the broker's own rounds (up to
// some 12 s with mosquitto), so the host also sends its listing again every few seconds
// and the list forgets a listing that has not come again in time.
namespace marloven {

class BrokerClient;

inline constexpr const char* kListingPrefix = "marloven/list/";
// A listing is small; anything larger is not read.
inline constexpr int kMostListingBytes = 2048;

struct GameListing : GameOffer {
    // Everyone may join (the code is in the listing), or only the invited, who have it.
    bool open = false;
    QString code;
    // The round trip between the host and the meeting place, the host's half of the way
    // a joiner's bytes go; -1 when not yet measured.
    int hostLegMs = -1;
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
    static constexpr int kAgainMs = 3000;

    ListingPublisher(BrokerClient& broker, const SigningKey& key, QObject* parent = nullptr);
    // Lists the game, or lists it anew (players free changed).
    void Publish(const GameListing& listing);
    // What the next sending carries, a listing being kept; nothing is sent now.
    void Amend(const GameListing& listing);
    // Takes the game off the list.
    void Clear();

  private:
    void Send();

    BrokerClient& broker_;
    QTimer again_;
    SigningKey key_;
    QString topic_;
    std::optional<GameListing> listing_;
};

// Joining: the games the meeting place lists, kept up to date.
class GamesList : public QObject {
    Q_OBJECT
  public:
    // A listing not sent again for this long has gone with its host.
    static constexpr int kFreshMs = 8000;
    // Anyone may list a game: past this many, more are not kept.
    static constexpr int kMostGames = 256;

    explicit GamesList(BrokerClient& broker, QObject* parent = nullptr);
    QList<GameListing> Games() const;

  signals:
    void Changed();

  private:
    struct Heard {
        GameListing listing;
        QElapsedTimer age;
    };
    void Hear(const QString& topic, const QByteArray& payload);
    void Forget();

    QMap<QString, Heard> games_;
    QTimer forgetTimer_;
};

} // namespace marloven
