// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/meet/test_broker.h"

#include <QFile>
#include <QStandardPaths>
#include <QTest>

namespace marloven {
namespace {

int FreePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

bool Answers(int port) {
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(port));
    return socket.waitForConnected(200);
}

} // namespace

QString TestBroker::Program() {
    auto found = QStandardPaths::findExecutable(QStringLiteral("mosquitto"));
    if (found.isEmpty()) {
        found = QStandardPaths::findExecutable(QStringLiteral("mosquitto"),
                                               {QStringLiteral("/usr/sbin")});
    }
    return found;
}

TestBroker::TestBroker(const QString& extra) : port_(FreePort()) {
    QFile config(dir_.filePath(QStringLiteral("mosquitto.conf")));
    config.open(QIODevice::WriteOnly);
    config.write(QStringLiteral("listener %1 127.0.0.1\n"
                                "allow_anonymous true\n"
                                "persistence false\n"
                                "log_dest stderr\n"
                                "log_type error\nlog_type warning\n"
                                "set_tcp_nodelay true\n%2")
                     .arg(port_)
                     .arg(extra)
                     .toUtf8());
    process_.setProcessChannelMode(QProcess::MergedChannels);
}

TestBroker::~TestBroker() {
    Kill();
}

bool TestBroker::Start() {
    process_.start(Program(), {QStringLiteral("-c"), dir_.filePath("mosquitto.conf")});
    return process_.waitForStarted(5000) &&
           QTest::qWaitFor([this] { return Answers(port_); }, 5000);
}

void TestBroker::Kill() {
    if (process_.state() != QProcess::NotRunning) {
        process_.kill();
        process_.waitForFinished(5000);
    }
}

QString TestBroker::Log() const {
    return QString::fromUtf8(const_cast<QProcess&>(process_).readAll());
}

Forwarder::Forwarder(int brokerPort, int delayMs) : brokerPort_(brokerPort), delayMs_(delayMs) {
    clock_.start();
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &Forwarder::Deliver);
    server_.listen(QHostAddress::LocalHost, 0);
    connect(&server_, &QTcpServer::newConnection, this, [this] {
        while (auto* client = server_.nextPendingConnection()) {
            auto* broker = new QTcpSocket(this);
            broker->setSocketOption(QAbstractSocket::LowDelayOption, 1);
            client->setSocketOption(QAbstractSocket::LowDelayOption, 1);
            broker->connectToHost(QHostAddress::LocalHost, static_cast<quint16>(brokerPort_));
            Pipe(client, broker);
            Pipe(broker, client);
            sockets_.emplace_back(client);
            sockets_.emplace_back(broker);
        }
    });
}

void Forwarder::Pipe(QTcpSocket* from, QTcpSocket* to) {
    connect(from, &QTcpSocket::readyRead, this, [this, from, to] {
        if (frozen_) {
            return;
        }
        late_.push_back({to, from->readAll(), clock_.elapsed() + delayMs_});
        Deliver();
    });
}

// Bytes leave in the order they came, each when its delay has passed.
void Forwarder::Deliver() {
    while (!late_.empty() && late_.front().due <= clock_.elapsed()) {
        late_.front().to->write(late_.front().bytes);
        late_.pop_front();
    }
    if (!late_.empty() && !timer_.isActive()) {
        timer_.start(static_cast<int>(late_.front().due - clock_.elapsed()));
    }
}

void Forwarder::Freeze() {
    frozen_ = true;
    late_.clear();
    server_.close();
}

} // namespace marloven
