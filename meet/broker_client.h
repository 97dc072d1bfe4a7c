// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "comm/link_address.h"
#include "meet/meeting_place.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>
#include <thread>

// The meeting place is an MQTT broker (3.1.1, nothing broker-specific) that every player
// reaches outbound. libmosquitto speaks to it on a thread of this client's own, so that a
// slow name lookup or a broker that does not answer never holds the launcher's windows;
// what it hears comes back on the thread that made the client.
namespace marloven {

class BrokerClient : public QObject {
    Q_OBJECT
  public:
    // The broker drops a silent client after one and a half keep-alives (and, for some
    // brokers, a few seconds more) and then sends its last will. 5 s is the least
    // libmosquitto takes.
    static constexpr int kKeepAliveSeconds = 5;
    static constexpr int kConnectMs = 6000;

    // `clientId`: unique on the broker; its access rules may tie topics to it.
    explicit BrokerClient(const QString& clientId, QObject* parent = nullptr);
    ~BrokerClient() override;
    BrokerClient(const BrokerClient&) = delete;
    BrokerClient& operator=(const BrokerClient&) = delete;

    QString ClientId() const { return clientId_; }
    // What the broker sends for this client when it goes without saying goodbye. Before
    // Connect only.
    void SetWill(const QString& topic, const QByteArray& payload, bool retain);
    // Starts reaching the broker: connected() within kConnectMs, or failed(). A connection
    // lost later is made again by itself (connectionLost(), then connected() again).
    void Connect(const LinkAddress& broker);
    bool IsConnected() const { return connected_; }
    // Sends at most once (QoS 0): the link's own resending makes up for what is lost.
    // False when the broker cannot be reached now.
    bool Publish(const QString& topic, const QByteArray& payload, bool retain = false);
    // Kept and renewed on each new connection.
    void Subscribe(const QString& topic);
    void Unsubscribe(const QString& topic);
    // Says goodbye: the broker drops the will. Nothing more is sent or heard.
    void Disconnect();
    // The broker, as the player wrote it ("meet.example.org:1883").
    QString Where() const { return where_; }

  signals:
    void Connected();
    void ConnectionLost(const QString& why);
    // The first connection could not be made, in the player's words; nothing more comes.
    void Failed(const QString& why);
    void Message(const QString& topic, const QByteArray& payload);

  private:
    struct Shared;
    void Stop();
    void Fail(const QString& why);

    QString clientId_;
    QString where_;
    std::shared_ptr<Shared> shared_;
    std::thread thread_;
    QTimer connectTimer_;
    bool connected_ = false;
    bool everConnected_ = false;
    bool over_ = false;
};

} // namespace marloven
