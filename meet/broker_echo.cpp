// SPDX-License-Identifier: GPL-3.0-or-later
#include "meet/broker_echo.h"

#include "meet/broker_client.h"

namespace marloven {

BrokerEcho::BrokerEcho(BrokerClient& broker, QObject* parent)
    : QObject(parent), broker_(broker), topic_(QLatin1String(kEchoPrefix) + broker.ClientId()) {
    broker_.Subscribe(topic_);
    connect(&broker_, &BrokerClient::Message, this, &BrokerEcho::Hear);
    connect(&broker_, &BrokerClient::Connected, this, &BrokerEcho::Send);
    connect(&timer_, &QTimer::timeout, this, &BrokerEcho::Send);
    timer_.start(kEveryMs);
}

// One echo at a time: one not heard back by the next is taken as lost, so a late one
// is never timed against the wrong send.
void BrokerEcho::Send() {
    awaited_ = QByteArray::number(++sent_);
    clock_.start();
    if (!broker_.Publish(topic_, awaited_)) {
        awaited_.clear();
    }
}

void BrokerEcho::Hear(const QString& topic, const QByteArray& payload) {
    if (topic != topic_ || awaited_.isEmpty() || payload != awaited_) {
        return;
    }
    awaited_.clear();
    lastMs_ = static_cast<int>(clock_.elapsed());
    emit Measured(lastMs_);
}

} // namespace marloven
