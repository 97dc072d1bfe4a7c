// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/meet/test_broker.h"

#include <QFile>
#include <QStandardPaths>
#include <QTest>

namespace marloven {
namespace {

// The Windows C library holds a redirected error output back until its buffer fills;
// mosquitto writes its log file out line by line.
#ifdef _WIN32
constexpr bool kLogToFile = true;
#else
constexpr bool kLogToFile = false;
#endif

int FreePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
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

TestBroker::TestBroker(const QString& extra) : extra_(extra), port_(FreePort()) {
    process_.setProcessChannelMode(QProcess::MergedChannels);
}

TestBroker::~TestBroker() {
    Kill();
}

// Another process may take the free port before mosquitto binds it (and then answer in
// its place): the broker counts as started only once its own log says it runs. A first
// start moves to another port then; a start again keeps the port its clients know.
bool TestBroker::Start() {
    for (int tries = 0; tries < 5; ++tries) {
        QFile config(dir_.filePath(QStringLiteral("mosquitto.conf")));
        config.open(QIODevice::WriteOnly | QIODevice::Truncate);
        const auto logDest =
            kLogToFile ? QStringLiteral("file ") + LogFileName() : QStringLiteral("stderr");
        config.write(QStringLiteral("listener %1 127.0.0.1\n"
                                    "allow_anonymous true\n"
                                    "persistence false\n"
                                    "log_dest %3\n"
                                    "log_type error\nlog_type warning\nlog_type information\n"
                                    "set_tcp_nodelay true\n%2")
                         .arg(port_)
                         .arg(extra_, logDest)
                         .toUtf8());
        config.close();
        log_.clear();
        QFile::remove(LogFileName());
        process_.start(Program(), {QStringLiteral("-c"), config.fileName()});
        const auto settled = [this] {
            log_ += process_.readAll();
            return Log().contains(QStringLiteral(" running")) ||
                   process_.state() == QProcess::NotRunning;
        };
        if (process_.waitForStarted(5000) && QTest::qWaitFor(settled, 5000) &&
            process_.state() == QProcess::Running) {
            started_ = true;
            return true;
        }
        Kill();
        if (started_) {
            return false;
        }
        port_ = FreePort();
    }
    return false;
}

void TestBroker::Kill() {
    if (process_.state() != QProcess::NotRunning) {
        process_.kill();
        process_.waitForFinished(5000);
    }
}

QString TestBroker::LogFileName() const {
    return dir_.filePath(QStringLiteral("mosquitto.log"));
}

QString TestBroker::Log() const {
    QFile file(LogFileName());
    return QString::fromUtf8(log_ +
                             (file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray()));
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
