// SPDX-License-Identifier: GPL-3.0-or-later
// Port mapping against the real miniupnpd as the home router, with a joiner outside that
// reaches the host only through the router's outside address.
#include "portmap/port_mapping.h"
#include "tests/router/netns.h"

#include <gtest/gtest.h>

#include <optional>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace marloven::portmap {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using testing::InNamespace;
using testing::Lab;
using testing::RouterKind;

class Socket {
  public:
    Socket(const Lab& lab, const std::string& where, int type) {
        InNamespace in(lab, where);
        if (in.Entered()) {
            fd_ = socket(AF_INET, type | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        }
    }
    ~Socket() {
        if (fd_ >= 0) {
            close(fd_);
        }
    }
    int fd() const { return fd_; }

  private:
    int fd_ = -1;
};

sockaddr_in Address(const char* ipv4, int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    inet_pton(AF_INET, ipv4, &address.sin_addr);
    return address;
}

bool Ready(int fd, short events, std::chrono::milliseconds wait) {
    pollfd entry{fd, events, 0};
    return poll(&entry, 1, static_cast<int>(wait.count())) == 1 && (entry.revents & events);
}

// Whether a byte sent from outside to the router's outside address arrives at home.
bool JoinerReaches(const Lab& lab, Protocol protocol, int port,
                   std::chrono::milliseconds wait = 2s) {
    const int type = protocol == Protocol::Tcp ? SOCK_STREAM : SOCK_DGRAM;
    Socket host(lab, "home", type), joiner(lab, "outside", type);
    const int yes = 1;
    setsockopt(host.fd(), SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    const sockaddr_in any = Address("0.0.0.0", port);
    const sockaddr_in router = Address(testing::kRouterOutsideAddress, port);
    if (bind(host.fd(), reinterpret_cast<const sockaddr*>(&any), sizeof any) != 0) {
        return false;
    }
    int receiver = host.fd();
    if (protocol == Protocol::Tcp) {
        listen(host.fd(), 1);
        connect(joiner.fd(), reinterpret_cast<const sockaddr*>(&router), sizeof router);
        int error = 0;
        socklen_t size = sizeof error;
        if (!Ready(joiner.fd(), POLLOUT, wait) ||
            getsockopt(joiner.fd(), SOL_SOCKET, SO_ERROR, &error, &size) != 0 || error != 0 ||
            !Ready(host.fd(), POLLIN, wait)) {
            return false;
        }
        receiver = accept(host.fd(), nullptr, nullptr);
        send(joiner.fd(), "V", 1, MSG_NOSIGNAL);
    } else {
        sendto(joiner.fd(), "V", 1, 0, reinterpret_cast<const sockaddr*>(&router), sizeof router);
    }
    char byte = 0;
    const bool arrived = Ready(receiver, POLLIN, wait) && recv(receiver, &byte, 1, 0) == 1;
    if (receiver != host.fd()) {
        close(receiver);
    }
    return arrived && byte == 'V';
}

// What the router lists, asked from home as any UPnP client would.
std::string RouterMappings(const Lab& lab) {
    return lab.RunIn("home", {"upnpc", "-l"}).output;
}

std::string Listed(int port) {
    return std::to_string(port) + "->" + testing::kHomeAddress + ":" + std::to_string(port);
}

class HomeRouter : public ::testing::Test {
  protected:
    // Builds the lab around a router of that kind, and enters the home network.
    void Stand(RouterKind kind) {
        if (const auto reason = testing::LabUnavailable()) {
            GTEST_SKIP() << *reason;
        }
        lab_.emplace(kind);
        ASSERT_EQ(lab_->Failure(), "");
        home_.emplace(*lab_, "home");
        ASSERT_TRUE(home_->Entered());
    }

    // The answer as hosting gets it: never later than the bound.
    Result Asked(const Mapping& mapping, Clock::time_point started) {
        const Result result = mapping.Wait();
        EXPECT_LE(Clock::now() - started, kBound + 100ms);
        return result;
    }

    const Lab& lab() const { return *lab_; }

  private:
    std::optional<Lab> lab_;
    std::optional<InNamespace> home_; // left before the lab goes
};

#define STAND(kind)                                                                                \
    Stand(kind);                                                                                   \
    if (IsSkipped() || HasFatalFailure()) {                                                        \
        return;                                                                                    \
    }

TEST_F(HomeRouter, UpnpOpensThePortsTheJoinerReachesAndClosingRemovesThem) {
    STAND(RouterKind::UpnpOnly);
    ASSERT_FALSE(JoinerReaches(lab(), Protocol::Tcp, 2323)) << "the router forwards unasked";
    for (const auto& [protocol, port] :
         {std::pair{Protocol::Tcp, 2323}, std::pair{Protocol::Udp, 2130}}) {
        const auto started = Clock::now();
        Mapping mapping({protocol, port});
        const Result result = Asked(mapping, started);
        ASSERT_EQ(result.outcome, Outcome::Opened) << Describe(result) << lab().RouterLog();
        EXPECT_EQ(Describe(result), "Tell: 198.20.23.1:" + std::to_string(port) +
                                        " \u2014 opened on your router (UPnP).");
        EXPECT_NE(RouterMappings(lab()).find(Listed(port)), std::string::npos);
        EXPECT_TRUE(JoinerReaches(lab(), protocol, port));

        EXPECT_TRUE(mapping.Close());
        EXPECT_EQ(RouterMappings(lab()).find(Listed(port)), std::string::npos);
        EXPECT_FALSE(JoinerReaches(lab(), protocol, port, 300ms));
    }
}

TEST_F(HomeRouter, NatPmpOpensThePortWhereTheRouterSpeaksNoUpnp) {
    STAND(RouterKind::NatPmpOnly);
    const auto started = Clock::now();
    Mapping mapping({Protocol::Tcp, 2324});
    const Result result = Asked(mapping, started);
    ASSERT_EQ(result.outcome, Outcome::Opened) << Describe(result) << lab().RouterLog();
    EXPECT_EQ(result.method, "NAT-PMP");
    EXPECT_EQ(result.publicAddress, "198.20.23.1");
    EXPECT_EQ(result.publicPort, 2324);
    EXPECT_TRUE(JoinerReaches(lab(), Protocol::Tcp, 2324));
    EXPECT_TRUE(mapping.Close());
    EXPECT_FALSE(JoinerReaches(lab(), Protocol::Tcp, 2324, 300ms));
}

TEST_F(HomeRouter, AMappingLeftByACrashIsRemovedAtTheNextStart) {
    STAND(RouterKind::UpnpOnly);
    std::string kept;
    {
        // A launcher that maps the port, notes it in its settings and dies before
        // removing it.
        const Result result =
            MakeUpnpRouter()->Open({Protocol::Tcp, 2323}, kLease, Clock::now() + kBound);
        ASSERT_EQ(result.outcome, Outcome::Opened) << Describe(result) << lab().RouterLog();
        kept = RecordText(*result.record);
    }
    ASSERT_NE(RouterMappings(lab()).find(Listed(2323)), std::string::npos);
    const auto record = ParseRecord(kept);
    ASSERT_TRUE(record);
    EXPECT_TRUE(RemoveLeftover(*record));
    EXPECT_EQ(RouterMappings(lab()).find(Listed(2323)), std::string::npos);
    EXPECT_FALSE(JoinerReaches(lab(), Protocol::Tcp, 2323, 300ms));
}

TEST_F(HomeRouter, WithASilentRouterHostingGoesOnWithinTheBoundAndSaysWhatToDo) {
    STAND(RouterKind::Silent);
    const auto started = Clock::now();
    Mapping mapping({Protocol::Tcp, 2323});
    const Result result = Asked(mapping, started);
    EXPECT_EQ(result.outcome, Outcome::NoRouter);
    EXPECT_EQ(Describe(result), "No router answered within 2 s, so nothing was opened for you. "
                                "Forward TCP port 2323 to this machine on your router by hand, "
                                "or let the other player host.");
}

} // namespace
} // namespace marloven::portmap
