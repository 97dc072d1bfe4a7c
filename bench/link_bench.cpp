// SPDX-License-Identifier: GPL-3.0-or-later
// What the launcher's relay adds to one round trip of a byte between two DOSBox ends on
// loopback: a caller's end reaches the joining launcher, which reaches the hosting
// launcher, which reaches the answering end, as two launchers on one machine play;
// against the caller reaching the answerer directly. Each iteration makes one round trip
// each way, in turn, and the medians are compared.

#include "link/relay.h"

#include <QCoreApplication>
#include <QThread>
#include <algorithm>
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <chrono>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

sockaddr_in Loopback(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

int Listener(int port) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    const int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address = Loopback(port);
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(fd, 4) != 0) {
        return -1;
    }
    return fd;
}

int PortOf(int fd) {
    sockaddr_in address{};
    socklen_t length = sizeof address;
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    return ntohs(address.sin_port);
}

int Connect(int port) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    const int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    sockaddr_in address = Loopback(port);
    return connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 ? fd : -1;
}

// The answering end: sends back every byte it gets, on a thread of its own.
std::thread Echo(int listener) {
    return std::thread([listener] {
        const int fd = accept(listener, nullptr, nullptr);
        const int on = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        char byte = 0;
        while (recv(fd, &byte, 1, 0) == 1 && send(fd, &byte, 1, 0) == 1) {
        }
        close(fd);
    });
}

double RoundTripMs(int fd) {
    char byte = 'x';
    const auto start = Clock::now();
    send(fd, &byte, 1, 0);
    recv(fd, &byte, 1, MSG_WAITALL);
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// The two launchers' relays, on an event loop of their own as the launcher's is while
// DOSBox runs.
struct Launchers {
    QThread thread;
    QObject context;
    std::unique_ptr<marloven::Relay> host;
    std::unique_ptr<marloven::Relay> join;

    explicit Launchers(int publicPort) {
        context.moveToThread(&thread);
        thread.start();
        QMetaObject::invokeMethod(
            &context,
            [this, publicPort] {
                marloven::RelayPlan plan;
                plan.publicPort = publicPort;
                host = marloven::MakeRelay(plan);
                host->Open();
                plan.side = marloven::LinkSide::Join;
                plan.remote = {"127.0.0.1", publicPort, false};
                join = marloven::MakeRelay(plan);
                join->Open();
            },
            Qt::BlockingQueuedConnection);
    }
    ~Launchers() {
        QMetaObject::invokeMethod(
            &context, [this] { host.reset(), join.reset(); }, Qt::BlockingQueuedConnection);
        thread.quit();
        thread.wait();
    }
};

void BM_RelayRoundTrip(benchmark::State& state) {
    const int direct = Listener(0);
    std::thread directEcho = Echo(direct);
    const int caller = Connect(PortOf(direct));

    const int publicPort = 20000 + static_cast<int>(getpid() % 20000);
    Launchers launchers(publicPort);
    const int answerer = Listener(launchers.host->DosboxPort());
    std::thread relayedEcho = Echo(answerer);
    const int relayedCaller = Connect(launchers.join->DosboxPort());
    RoundTripMs(relayedCaller); // the first crosses while the launchers link

    std::vector<double> directMs;
    std::vector<double> relayedMs;
    for (auto _ : state) {
        directMs.push_back(RoundTripMs(caller));
        relayedMs.push_back(RoundTripMs(relayedCaller));
    }
    state.counters["direct_median_ms"] = Median(directMs);
    state.counters["relayed_median_ms"] = Median(relayedMs);
    state.counters["added_median_ms"] = Median(relayedMs) - Median(directMs);
    for (const int fd : {caller, relayedCaller}) {
        shutdown(fd, SHUT_RDWR);
        close(fd);
    }
    directEcho.join();
    relayedEcho.join();
    close(direct);
    close(answerer);
}
BENCHMARK(BM_RelayRoundTrip)->Iterations(2000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
