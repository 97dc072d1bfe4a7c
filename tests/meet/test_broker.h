// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QElapsedTimer>
#include <QProcess>
#include <QString>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>
#include <deque>
#include <memory>
#include <vector>

// In a test: skips it, saying why, where mosquitto is not installed.
#define SKIP_WITHOUT_MOSQUITTO()                                                                   \
    if (TestBroker::Program().isEmpty()) {                                                         \
        GTEST_SKIP() << "mosquitto is not installed (scripts/setup installs it)";                  \
    }

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
    // What the broker said at its last start.
    QString Log() const;

  private:
    QString LogFileName() const;

    QTemporaryDir dir_;
    QString extra_;
    QProcess process_;
    QByteArray log_;
    int port_ = 0;
    bool started_ = false;
};

// Carries TCP between a client and the broker, each way `delayMs` late (a line of that
// length, in place of netem), until frozen: then it neither forwards nor closes, like a
// host whose machine or line died.
class Forwarder : public QObject {
  public:
    explicit Forwarder(int brokerPort, int delayMs = 0);
    int Port() const { return server_.serverPort(); }
    void Freeze();

  private:
    struct Late {
        QTcpSocket* to;
        QByteArray bytes;
        qint64 due;
    };
    void Pipe(QTcpSocket* from, QTcpSocket* to);
    void Deliver();

    QTcpServer server_;
    std::vector<std::unique_ptr<QTcpSocket>> sockets_;
    std::deque<Late> late_;
    QElapsedTimer clock_;
    QTimer timer_;
    int brokerPort_;
    int delayMs_;
    bool frozen_ = false;
};

} // namespace marloven
