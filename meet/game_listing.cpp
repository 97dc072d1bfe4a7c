// SPDX-License-Identifier: GPL-3.0-or-later
#include "meet/game_listing.h"

#include "comm/game_code.h"
#include "meet/broker_client.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <cstring>

namespace marloven {

// The signed part travels as a string of its own, so that the bytes checked are exactly
// the bytes signed, whatever a JSON reader does with spacing or key order.
QByteArray SignedListing(const GameListing& listing, const QString& clientId,
                         const SigningKey& key) {
    auto body = OfferJson(listing);
    body.insert("v", 1);
    body.insert("client", clientId);
    body.insert("open", listing.open);
    body.insert("key", QString::fromLatin1(key.PublicKey().toBase64()));
    if (listing.open) {
        body.insert("code", listing.code);
    }
    if (listing.hostLegMs >= 0) {
        body.insert("ms", listing.hostLegMs);
    }
    const auto bodyBytes = QJsonDocument(body).toJson(QJsonDocument::Compact);
    const QJsonObject signedListing{{"body", QString::fromUtf8(bodyBytes)},
                                    {"sig", QString::fromLatin1(key.Sign(bodyBytes).toBase64())}};
    return QJsonDocument(signedListing).toJson(QJsonDocument::Compact);
}

namespace {

// A longer round trip than this is no measure of anything a game could use.
constexpr int kLongestLegMs = 60000;

} // namespace

std::optional<GameListing> ReadListing(const QString& topic, const QByteArray& payload) {
    if (payload.isEmpty() || payload.size() > kMostListingBytes ||
        !topic.startsWith(QLatin1String(kListingPrefix))) {
        return std::nullopt;
    }
    const auto outer = QJsonDocument::fromJson(payload).object();
    const auto bodyBytes = outer.value("body").toString().toUtf8();
    const auto signature = QByteArray::fromBase64(outer.value("sig").toString().toLatin1());
    const auto body = QJsonDocument::fromJson(bodyBytes).object();
    const auto offer = ReadOffer(body);
    if (!offer) {
        return std::nullopt;
    }
    GameListing listing;
    static_cast<GameOffer&>(listing) = *offer;
    listing.hostKey = QByteArray::fromBase64(body.value("key").toString().toLatin1());
    if (!VerifySignature(listing.hostKey, bodyBytes, signature) || body.value("v").toInt() != 1) {
        return std::nullopt;
    }
    listing.clientId = body.value("client").toString();
    listing.open = body.value("open").toBool();
    listing.code = body.value("code").toString();
    const int legMs = body.value("ms").toInt(-1);
    listing.hostLegMs = legMs >= 0 && legMs <= kLongestLegMs ? legMs : -1;
    const bool sound =
        topic.mid(static_cast<qsizetype>(std::strlen(kListingPrefix))) == listing.clientId &&
        !listing.clientId.isEmpty() &&
        (!listing.open || ParseGameCode(listing.code.toStdString()).has_value());
    if (!sound) {
        return std::nullopt;
    }
    return listing;
}

QString KeyFingerprint(const QByteArray& publicKey) {
    const auto digest = DeriveKey(publicKey, "fingerprint");
    const auto hex = QByteArray(reinterpret_cast<const char*>(digest.data()), 4).toHex().toUpper();
    return QString::fromLatin1(hex.left(4) + '-' + hex.mid(4));
}

ListingPublisher::ListingPublisher(BrokerClient& broker, const SigningKey& key, QObject* parent)
    : QObject(parent), broker_(broker), key_(key),
      topic_(QLatin1String(kListingPrefix) + broker.ClientId()) {
    broker_.SetWill(topic_, {}, true);
    connect(&again_, &QTimer::timeout, this, [this] {
        if (listing_) {
            Send();
        }
    });
    again_.start(kAgainMs);
    connect(&broker_, &BrokerClient::Connected, this, [this] {
        if (listing_) {
            Send();
        }
    });
}

void ListingPublisher::Publish(const GameListing& listing) {
    listing_ = listing;
    Send();
}

void ListingPublisher::Amend(const GameListing& listing) {
    if (listing_) {
        listing_ = listing;
    }
}

void ListingPublisher::Send() {
    broker_.Publish(topic_, SignedListing(*listing_, broker_.ClientId(), key_), true);
}

void ListingPublisher::Clear() {
    listing_.reset();
    broker_.Publish(topic_, {}, true);
}

GamesList::GamesList(BrokerClient& broker, QObject* parent) : QObject(parent) {
    connect(&broker, &BrokerClient::Message, this, &GamesList::Hear);
    broker.Subscribe(QLatin1String(kListingPrefix) + QLatin1Char('+'));
    connect(&forgetTimer_, &QTimer::timeout, this, &GamesList::Forget);
    forgetTimer_.start(kFreshMs / 8);
}

QList<GameListing> GamesList::Games() const {
    QList<GameListing> games;
    for (const auto& heard : games_) {
        games.append(heard.listing);
    }
    return games;
}

void GamesList::Hear(const QString& topic, const QByteArray& payload) {
    if (!topic.startsWith(QLatin1String(kListingPrefix))) {
        return;
    }
    const auto listing = ReadListing(topic, payload);
    const bool had = games_.remove(topic) > 0;
    if (listing && games_.size() < kMostGames) {
        auto& heard = games_[topic];
        heard.listing = *listing;
        heard.age.start();
    }
    if (had || listing) {
        emit Changed();
    }
}

void GamesList::Forget() {
    const auto before = games_.size();
    games_.removeIf([](const auto& game) { return game.value().age.hasExpired(kFreshMs); });
    if (games_.size() != before) {
        emit Changed();
    }
}

} // namespace marloven
