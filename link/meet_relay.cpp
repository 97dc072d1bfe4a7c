// SPDX-License-Identifier: GPL-3.0-or-later
// The link through the meeting place: DOSBox's end carried over the game's channels at
// the broker. A host hands each player who arrives there to its relay as a player of the
// public port would come, over a socket on 127.0.0.1, so that DOSBox's side is the same
// whichever way a player came.

#include "link/relay_parts.h"

#include "meet/broker_client.h"
#include "meet/meet_game.h"
#include "meet/sealed_box.h"

#include <QNetworkDatagram>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUdpSocket>
#include <utility>
#include <vector>

namespace marloven {

namespace {

// What is read of a local connection ahead of the channel: the channel's own queue holds
// the rest, and the socket is not read while that is full.
constexpr qint64 kReadAhead = qint64{64} * 1024;
// A connection on 127.0.0.1 is made by the system at once; this only bounds a stuck one.
constexpr int kPairMs = 2000;
// Joining the tunnel: DOSBox's datagrams held until the broker is reached.
constexpr std::size_t kMostHeld = 64;
// DOSBox takes the link's bytes at its serial port's speed, the speed the other side's
// DOSBox sends them at: a peer that sends far past it is not playing, and what DOSBox has
// not taken is not held without bound (a megabyte is some 90 s of the fastest port).
constexpr qint64 kMostUnwritten = qint64{1} << 20;

template <typename Call, typename... Args> void Tell(const Call& call, Args&&... args) {
    if (auto copy = call) {
        copy(std::forward<Args>(args)...);
    }
}

// Carries a connection on this machine over a stream channel, both ways. When the
// connection ends, the channel closes once what was read of it has been taken; when the
// channel ends, the connection closes after what it still has to send.
class StreamBridge : public QObject {
  public:
    std::function<void()> firstReceived;
    // An empty `why`: the connection's end hung up.
    std::function<void(const QString& why)> ended;

    StreamBridge(QTcpSocket* socket, MeetChannel* channel, QObject* parent)
        : QObject(parent), socket_(socket), channel_(channel) {
        socket->setReadBufferSize(kReadAhead);
        connect(socket, &QTcpSocket::readyRead, this, &StreamBridge::Pump);
        connect(channel, &MeetChannel::Drained, this, &StreamBridge::Pump);
        connect(socket, &QTcpSocket::disconnected, this, [this] {
            if (channelOver_) {
                End(channelWhy_); // what the channel brought has been written
                return;
            }
            hungUp_ = true;
            Pump();
        });
        connect(channel, &MeetChannel::Received, this, [this](const QByteArray& bytes) {
            if (!socket_) {
                return;
            }
            if (socket_->bytesToWrite() > kMostUnwritten) {
                // Told first: the socket's end would otherwise read as DOSBox hanging up.
                const QPointer<QTcpSocket> socket = socket_;
                End(QStringLiteral("The other side sent far more than DOSBox takes; the link "
                                   "was ended."));
                if (channel_) {
                    channel_->Close();
                }
                if (socket) {
                    socket->abort();
                }
                return;
            }
            socket_->write(bytes);
            Tell(std::exchange(firstReceived, nullptr));
        });
        connect(channel, &MeetChannel::Closed, this, [this](const QString& why) {
            channelOver_ = true;
            channelWhy_ = why;
            if (socket_ && socket_->state() != QAbstractSocket::UnconnectedState) {
                socket_->disconnectFromHost(); // disconnected() once what it holds is written
            }
            if (!socket_ || socket_->state() == QAbstractSocket::UnconnectedState) {
                End(why);
            }
        });
        // DOSBox may have hung up while the broker was being reached.
        hungUp_ = socket->state() == QAbstractSocket::UnconnectedState;
        Pump();
    }

  private:
    void Pump() {
        while (socket_ && channel_ && socket_->bytesAvailable() > 0) {
            const QByteArray bytes = socket_->peek(std::min(socket_->bytesAvailable(), kReadAhead));
            if (!channel_->Write(bytes)) {
                return; // Drained() comes back for the rest
            }
            socket_->skip(bytes.size());
        }
        if ((hungUp_ || !socket_) && channel_ && channel_->Queued() == 0) {
            channel_->Close();
            End({});
        }
    }

    void End(const QString& why) { Tell(std::exchange(ended, nullptr), why); }

    QPointer<QTcpSocket> socket_;
    QPointer<MeetChannel> channel_;
    QString channelWhy_;
    bool channelOver_ = false;
    bool hungUp_ = false;
};

class BrokerWay : public MeetingPlaceWay {
  public:
    BrokerWay(const RelayPlan& plan, const GameCode& code)
        : broker_(QStringLiteral("marloven-link-") + QString::fromLatin1(RandomBytes(8).toHex())),
          code_(code), hosting_(plan.side == LinkSide::Host),
          mode_(plan.transport == LinkTransport::Tcp ? ChannelMode::Stream
                                                     : ChannelMode::Datagrams),
          publicPort_(static_cast<quint16>(plan.publicPort)) {
        connect(&broker_, &BrokerClient::Connected, this, [this] { Meet(); });
        // The client's words name the meeting place; the relay's name it already.
        connect(&broker_, &BrokerClient::Failed, this,
                [this](const QString& why) { Tell(ended, why.section(QStringLiteral(": "), 1)); });
        broker_.Connect(*plan.meetingPlace);
    }

    void CarryStream(QTcpSocket* dosbox) override {
        dosbox_ = dosbox;
        BridgeDosbox();
    }

    void SendToHost(const QByteArray& datagram) override {
        if (MeetChannel* host = game_ ? game_->HostChannel() : nullptr) {
            host->Write(datagram);
        } else if (held_.size() < kMostHeld) {
            held_.push_back(datagram);
        }
    }

    void Close() override {
        streamArrived = nullptr;
        sourceArrived = nullptr;
        reached = nullptr;
        roundTrip = nullptr;
        firstFromHost = nullptr;
        fromHost = nullptr;
        ended = nullptr;
        if (game_) {
            game_->Close();
        }
        broker_.Disconnect();
    }

  private:
    // The broker is reached: the game is taken there (hosting) or its host is called.
    void Meet() {
        if (game_) {
            return; // a connection made again: the game goes on
        }
        game_ = std::make_unique<MeetGame>(broker_, code_, mode_, hosting_);
        if (hosting_) {
            connect(game_.get(), &MeetGame::PlayerArrived, this,
                    [this](MeetChannel* channel) { Arrived(channel); });
            Tell(reached);
            return;
        }
        MeetChannel* host = game_->HostChannel();
        connect(host, &MeetChannel::RoundTripMeasured, this,
                [this](int ms) { Tell(roundTrip, ms); });
        if (mode_ == ChannelMode::Stream) {
            BridgeDosbox();
            return;
        }
        connect(host, &MeetChannel::Received, this,
                [this](const QByteArray& datagram) { Tell(fromHost, datagram); });
        connect(host, &MeetChannel::Closed, this, [this](const QString& why) { Tell(ended, why); });
        for (const QByteArray& datagram : std::exchange(held_, {})) {
            host->Write(datagram);
        }
    }

    // Joining the modem or the cable: once both DOSBox's connection and the host's
    // channel are there.
    void BridgeDosbox() {
        if (!dosbox_ || !game_ || bridged_) {
            return;
        }
        bridged_ = true;
        auto* bridge = new StreamBridge(dosbox_, game_->HostChannel(), this);
        bridge->firstReceived = [this] { Tell(firstFromHost); };
        bridge->ended = [this](const QString& why) { Tell(ended, why); };
    }

    void Arrived(MeetChannel* channel) {
        connect(channel, &MeetChannel::RoundTripMeasured, this,
                [this](int ms) { Tell(roundTrip, ms); });
        if (mode_ == ChannelMode::Stream) {
            ArrivedStream(channel);
        } else {
            ArrivedSource(channel);
        }
    }

    // The player's bytes reach the relay as if the player had connected on its own.
    void ArrivedStream(MeetChannel* channel) {
        const auto [relayEnd, bridgeEnd] = LoopbackPair();
        if (relayEnd == nullptr) {
            channel->Close();
            return;
        }
        auto* bridge = new StreamBridge(bridgeEnd, channel, this);
        bridgeEnd->setParent(bridge);
        bridge->ended = [bridge](const QString&) { bridge->deleteLater(); };
        Tell(streamArrived, relayEnd);
    }

    // The player's datagrams reach the public port from a source of its own on 127.0.0.1,
    // which the relay tells apart from the others as it does players on the internet.
    void ArrivedSource(MeetChannel* channel) {
        auto* source = new QUdpSocket(channel);
        if (!source->bind(QHostAddress::LocalHost, 0)) {
            channel->Close();
            return;
        }
        Tell(sourceArrived, source->localPort());
        const auto toRelay = [this, source](const QByteArray& datagram) {
            source->writeDatagram(datagram, QHostAddress::LocalHost, publicPort_);
        };
        connect(channel, &MeetChannel::Received, source, toRelay);
        // The relay frees the slot of a player it has not heard for a while; the channel's
        // answers say the player is still there.
        connect(channel, &MeetChannel::RoundTripMeasured, source,
                [toRelay] { toRelay(kTunnelKeepAlive); });
        connect(source, &QUdpSocket::readyRead, channel, [source, channel] {
            while (source->hasPendingDatagrams()) {
                channel->Write(source->receiveDatagram().data());
            }
        });
        connect(channel, &MeetChannel::Closed, source, &QObject::deleteLater);
    }

    // Two ends of a connection on 127.0.0.1: the relay's and the bridge's. Another
    // program's connection to the same port is turned away.
    std::pair<QTcpSocket*, QTcpSocket*> LoopbackPair() {
        if (!pairs_.isListening() && !pairs_.listen(QHostAddress::LocalHost, 0)) {
            return {};
        }
        auto* bridgeEnd = new QTcpSocket;
        bridgeEnd->connectToHost(QHostAddress::LocalHost, pairs_.serverPort());
        if (!bridgeEnd->waitForConnected(kPairMs)) {
            delete bridgeEnd;
            return {};
        }
        while (pairs_.hasPendingConnections() || pairs_.waitForNewConnection(kPairMs)) {
            QTcpSocket* relayEnd = pairs_.nextPendingConnection();
            if (relayEnd->peerPort() == bridgeEnd->localPort()) {
                relayEnd->setParent(nullptr);
                return {relayEnd, bridgeEnd};
            }
            relayEnd->abort();
            relayEnd->deleteLater();
        }
        delete bridgeEnd;
        return {};
    }

    BrokerClient broker_;
    std::unique_ptr<MeetGame> game_;
    GameCode code_;
    bool hosting_;
    ChannelMode mode_;
    quint16 publicPort_;
    QTcpServer pairs_;
    QPointer<QTcpSocket> dosbox_;
    bool bridged_ = false;
    std::vector<QByteArray> held_;
};

} // namespace

std::unique_ptr<MeetingPlaceWay> MakeMeetingPlaceWay(const RelayPlan& plan, const GameCode& code,
                                                     QString&) {
    return std::make_unique<BrokerWay>(plan, code);
}

} // namespace marloven
