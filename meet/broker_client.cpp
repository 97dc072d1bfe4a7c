// SPDX-License-Identifier: GPL-3.0-or-later
#include "meet/broker_client.h"

#include <QMetaObject>
#include <QSet>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mosquitto.h>
#include <mutex>
#ifdef _WIN32
// Windows' headers first: OpenSSL's undo the names of wincrypt.h that clash with its own.
// clang-format off
#include <windows.h>
#include <wincrypt.h>
#include <openssl/ssl.h>
#include <openssl/x509_vfy.h>
// clang-format on
#endif

namespace marloven {
namespace {

// How long the client's thread waits between tries at a broker that went away, at first
// and at most.
constexpr int kFirstRetryMs = 250;
constexpr int kLastRetryMs = 4000;
// How long the windows wait for the thread to end when the client goes; a thread still
// stuck in the system's connect after that is left to end by itself.
constexpr auto kStopWait = std::chrono::milliseconds(1500);

void InitLibrary() {
    static std::once_flag once;
    std::call_once(once, [] { mosquitto_lib_init(); });
}

QString Plain(int rc) {
    if (rc == MOSQ_ERR_ERRNO) {
        return QString::fromLocal8Bit(std::strerror(errno));
    }
    if (rc == MOSQ_ERR_EAI) {
        return QStringLiteral("no such host");
    }
    return QString::fromUtf8(mosquitto_strerror(rc));
}

#ifdef _WIN32
// OpenSSL trusts the certificate files of a Unix system, of which Windows has none: the
// client gets a TLS context that trusts the system's own root certificates and checks
// the broker's name (or address), as libmosquitto's own context does elsewhere.
void TrustWindowsRoots(mosquitto* handle, const std::string& host) {
    SSL_CTX* context = SSL_CTX_new(TLS_client_method());
    if (!context) {
        return;
    }
    SSL_CTX_set_min_proto_version(context, TLS1_2_VERSION);
    SSL_CTX_set_verify(context, SSL_VERIFY_PEER, nullptr);
    X509_VERIFY_PARAM* expected = SSL_CTX_get0_param(context);
    if (!X509_VERIFY_PARAM_set1_ip_asc(expected, host.c_str())) {
        X509_VERIFY_PARAM_set1_host(expected, host.c_str(), host.size());
    }
    X509_STORE* trusted = SSL_CTX_get_cert_store(context);
    if (HCERTSTORE roots = CertOpenSystemStoreW(0, L"ROOT")) {
        PCCERT_CONTEXT root = nullptr;
        while ((root = CertEnumCertificatesInStore(roots, root))) {
            const unsigned char* der = root->pbCertEncoded;
            if (X509* certificate =
                    d2i_X509(nullptr, &der, static_cast<long>(root->cbCertEncoded))) {
                X509_STORE_add_cert(trusted, certificate);
                X509_free(certificate);
            }
        }
        CertCloseStore(roots, 0);
    }
    mosquitto_int_option(handle, MOSQ_OPT_SSL_CTX_WITH_DEFAULTS, 0);
    mosquitto_void_option(handle, MOSQ_OPT_SSL_CTX, context);
    SSL_CTX_free(context);
}
#endif

} // namespace

// What the client's thread and the client share. It outlives the client while the thread
// still runs; `owner` is cleared, under the lock, before the client goes.
struct BrokerClient::Shared {
    std::mutex mutex;
    BrokerClient* owner = nullptr;
    mosquitto* handle = nullptr;
    QSet<QString> topics;
    std::atomic<bool> stopping = false;
    bool finished = false;
    std::condition_variable finishedChanged;

    ~Shared() {
        if (handle) {
            mosquitto_destroy(handle);
        }
    }

    template <typename Call> void Post(Call call) {
        std::lock_guard lock(mutex);
        if (owner) {
            QMetaObject::invokeMethod(
                owner, [owner = owner, call] { call(*owner); }, Qt::QueuedConnection);
        }
    }

    void Run(const std::string& host, int port);
};

void BrokerClient::Shared::Run(const std::string& host, int port) {
    int rc = mosquitto_connect(handle, host.c_str(), port, kKeepAliveSeconds);
    if (rc != MOSQ_ERR_SUCCESS && !stopping) {
        const auto why = Plain(rc);
        Post([why](BrokerClient& client) { client.Fail(why); });
    }
    // Once stopping, the loop goes on only until the goodbye (and what was published
    // before it) has been written, and a moment at most.
    int retryMs = kFirstRetryMs;
    int stoppingLoops = 0;
    while (rc == MOSQ_ERR_SUCCESS && stoppingLoops < 10) {
        if (stopping) {
            ++stoppingLoops;
        }
        const int loop = mosquitto_loop(handle, 100, 1);
        if (loop == MOSQ_ERR_SUCCESS) {
            retryMs = kFirstRetryMs;
            continue;
        }
        if (stopping) {
            break;
        }
        for (int waited = 0; waited < retryMs && !stopping; waited += 50) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        retryMs = std::min(retryMs * 2, kLastRetryMs);
        if (!stopping) {
            mosquitto_reconnect(handle);
        }
    }
    std::lock_guard lock(mutex);
    finished = true;
    finishedChanged.notify_all();
}

BrokerClient::BrokerClient(const QString& clientId, QObject* parent)
    : QObject(parent), clientId_(clientId), shared_(std::make_shared<Shared>()) {
    InitLibrary();
    shared_->owner = this;
    shared_->handle = mosquitto_new(clientId.toUtf8().constData(), true, shared_.get());
    mosquitto_threaded_set(shared_->handle, true);
    mosquitto_int_option(shared_->handle, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
    // The link's messages are small and each waits for its answer: Nagle's algorithm would
    // hold them back for tens of milliseconds.
    mosquitto_int_option(shared_->handle, MOSQ_OPT_TCP_NODELAY, 1);
    mosquitto_connect_callback_set(shared_->handle, [](mosquitto* handle, void* data, int rc) {
        auto& shared = *static_cast<Shared*>(data);
        if (rc != 0) {
            const auto why = QString::fromUtf8(mosquitto_connack_string(rc));
            shared.stopping = true;
            shared.Post([why](BrokerClient& client) { client.Fail(why); });
            return;
        }
        QSet<QString> topics;
        {
            std::lock_guard lock(shared.mutex);
            topics = shared.topics;
        }
        for (const auto& topic : topics) {
            mosquitto_subscribe(handle, nullptr, topic.toUtf8().constData(), 0);
        }
        shared.Post([](BrokerClient& client) {
            client.connectTimer_.stop();
            client.connected_ = true;
            client.everConnected_ = true;
            emit client.Connected();
        });
    });
    mosquitto_disconnect_callback_set(shared_->handle, [](mosquitto*, void* data, int rc) {
        auto& shared = *static_cast<Shared*>(data);
        const auto why = Plain(rc);
        shared.Post([why](BrokerClient& client) {
            if (client.connected_) {
                client.connected_ = false;
                emit client.ConnectionLost(why);
            }
        });
    });
    mosquitto_message_callback_set(shared_->handle, [](mosquitto*, void* data,
                                                       const mosquitto_message* message) {
        auto& shared = *static_cast<Shared*>(data);
        const auto topic = QString::fromUtf8(message->topic);
        const QByteArray payload(static_cast<const char*>(message->payload), message->payloadlen);
        shared.Post([topic, payload](BrokerClient& client) {
            if (!client.over_) {
                emit client.Message(topic, payload);
            }
        });
    });
    connectTimer_.setSingleShot(true);
    connect(&connectTimer_, &QTimer::timeout, this,
            [this] { Fail(QStringLiteral("no answer within %1 s").arg(kConnectMs / 1000)); });
}

BrokerClient::~BrokerClient() {
    Stop();
}

void BrokerClient::SetWill(const QString& topic, const QByteArray& payload, bool retain) {
    mosquitto_will_set(shared_->handle, topic.toUtf8().constData(),
                       static_cast<int>(payload.size()), payload.constData(), 1, retain);
}

void BrokerClient::Connect(const LinkAddress& broker) {
    where_ = QString::fromStdString(ShowLinkAddress(broker));
    if (broker.port == kMeetingPlaceTlsPort) {
#ifdef _WIN32
        TrustWindowsRoots(shared_->handle, broker.host);
#else
        mosquitto_int_option(shared_->handle, MOSQ_OPT_TLS_USE_OS_CERTS, 1);
#endif
    }
    connectTimer_.start(kConnectMs);
    thread_ = std::thread(
        [shared = shared_, host = broker.host, port = broker.port] { shared->Run(host, port); });
}

bool BrokerClient::Publish(const QString& topic, const QByteArray& payload, bool retain) {
    if (over_ || !connected_) {
        return false;
    }
    return mosquitto_publish(shared_->handle, nullptr, topic.toUtf8().constData(),
                             static_cast<int>(payload.size()), payload.constData(), retain ? 1 : 0,
                             retain) == MOSQ_ERR_SUCCESS;
}

void BrokerClient::Subscribe(const QString& topic) {
    {
        std::lock_guard lock(shared_->mutex);
        shared_->topics.insert(topic);
    }
    if (connected_) {
        mosquitto_subscribe(shared_->handle, nullptr, topic.toUtf8().constData(), 0);
    }
}

void BrokerClient::Unsubscribe(const QString& topic) {
    {
        std::lock_guard lock(shared_->mutex);
        shared_->topics.remove(topic);
    }
    if (connected_) {
        mosquitto_unsubscribe(shared_->handle, nullptr, topic.toUtf8().constData());
    }
}

void BrokerClient::Disconnect() {
    Stop();
}

void BrokerClient::Fail(const QString& why) {
    if (over_ || everConnected_) {
        return;
    }
    Stop();
    emit Failed(QStringLiteral("Could not reach the meeting place at %1: %2.").arg(where_, why));
}

void BrokerClient::Stop() {
    if (over_) {
        return;
    }
    over_ = true;
    connected_ = false;
    connectTimer_.stop();
    {
        std::lock_guard lock(shared_->mutex);
        shared_->owner = nullptr;
    }
    shared_->stopping = true;
    mosquitto_disconnect(shared_->handle);
    if (!thread_.joinable()) {
        return;
    }
    std::unique_lock lock(shared_->mutex);
    if (shared_->finishedChanged.wait_for(lock, kStopWait, [this] { return shared_->finished; })) {
        lock.unlock();
        thread_.join();
    } else {
        thread_.detach();
    }
}

} // namespace marloven
