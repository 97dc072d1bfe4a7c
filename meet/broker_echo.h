// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

// The round trip between this player and the meeting place, timed by a message sent to
// a topic of the client's own and heard back. A game through the meeting place takes
// two such legs, the host's and the joiner's, so the games list adds the host's (which
// its listing carries) to the joiner's own.
namespace marloven {

class BrokerClient;

inline constexpr const char* kEchoPrefix = "marloven/echo/";

class BrokerEcho : public QObject {
    Q_OBJECT
  public:
    static constexpr int kEveryMs = 2000;

    explicit BrokerEcho(BrokerClient& broker, QObject* parent = nullptr);
    // The last round trip heard back; -1 before the first.
    int LastMs() const { return lastMs_; }

  signals:
    void Measured(int ms);

  private:
    void Send();
    void Hear(const QString& topic, const QByteArray& payload);

    BrokerClient& broker_;
    QString topic_;
    QTimer timer_;
    QElapsedTimer clock_;
    QByteArray awaited_;
    quint32 sent_ = 0;
    int lastMs_ = -1;
};

} // namespace marloven
