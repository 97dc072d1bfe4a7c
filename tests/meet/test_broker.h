// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QProcess>
#include <QString>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <memory>
#include <vector>

// A real mosquitto the test starts on 127.0.0.1 at a free port, with a configuration
// the test writes, and stops (or kills and starts again) itself.
namespace marloven {

class TestBroker {
  public:
    // The mosquitto program, or empty when it is not installed.
    static QString Program();
    // `extra`: more configuration lines (a bridge).
    explicit TestBroker(const QString& extra = {});
    ~TestBroker();
    bool Start();
    void Kill();
    int Port() const { return port_; }
    QString Log() const;

  private:
    QTemporaryDir dir_;
    QProcess process_;
    int port_ = 0;
};

// Carries TCP between a client and the broker, until frozen: then it neither forwards
// nor closes, like a host whose machine or line died.
class FreezingForwarder : public QObject {
  public:
    explicit FreezingForwarder(int brokerPort);
    int Port() const { return server_.serverPort(); }
    void Freeze();

  private:
    QTcpServer server_;
    std::vector<std::unique_ptr<QTcpSocket>> sockets_;
    int brokerPort_;
    bool frozen_ = false;
};

} // namespace marloven
