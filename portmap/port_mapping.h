// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Asking the home router to forward a port to this machine, so that a player who hosts
// need not set up the router by hand. Two ways routers speak: UPnP IGD and NAT-PMP.
namespace marloven {

// TCP for the modem and the null-modem cable, UDP for the IPX tunnel.
enum class PortProtocol { Tcp, Udp };

// How long hosting may wait for the router, and how long a mapping lives unless renewed.
inline constexpr std::chrono::milliseconds kRouterBound{2000};
inline constexpr std::chrono::seconds kMappingLease{3600};

struct PortRequest {
    PortProtocol protocol = PortProtocol::Tcp;
    int port = 0; // the same on the router and on this machine
};

// What was mapped, kept in the launcher's settings while it lasts, so that a mapping
// left behind by a crash is removed at the next start.
struct MappingRecord {
    std::string method; // "upnp" or "natpmp"
    PortProtocol protocol = PortProtocol::Tcp;
    int externalPort = 0;
    int internalPort = 0;
    std::string internalClient; // this machine's address as the router saw it
    std::int64_t expires = 0;   // seconds since 1970: after it the router has dropped it
};

std::string MappingRecordText(const MappingRecord& record);
std::optional<MappingRecord> ParseMappingRecord(std::string_view text);

enum class RouterOutcome {
    Opened,        // the router forwards the port; publicAddress is what to tell
    SharedAddress, // forwarded, but the router's own outside address is private or shared
    NoRouter,      // nothing answered within the bound
    Refused,       // a router answered and would not forward the port
};

struct RouterAnswer {
    RouterOutcome outcome = RouterOutcome::NoRouter;
    PortProtocol protocol = PortProtocol::Tcp;
    int port = 0;
    std::string method; // "UPnP" or "NAT-PMP", as the player may know them
    std::string publicAddress;
    int publicPort = 0;
    std::string reason; // the router's own words when it refused
    std::optional<MappingRecord> record;
};

// The plain words for the player: what to tell, or what to do instead.
std::string DescribeRouterAnswer(const RouterAnswer& result);

// Whether the text is a dotted IPv4 address ("198.51.100.4"), each number in decimal.
bool IsIpv4Address(std::string_view text);

// A router's outside address that another router stands in front of: the private
// ranges and the carrier-grade NAT range, 10/8, 172.16/12, 192.168/16, 100.64/10.
bool IsPrivateOrShared(std::string_view ipv4);

// One way of talking to the router. Each call gives up at its deadline as far as the
// library beneath allows; the callers never wait on it beyond their own bound.
class HomeRouter {
  public:
    using Deadline = std::chrono::steady_clock::time_point;
    virtual ~HomeRouter() = default;
    // Maps (or renews) the port. NoRouter when this way finds no router.
    virtual RouterAnswer Open(const PortRequest& request, std::chrono::seconds lease,
                              Deadline deadline) = 0;
    // Removes a mapping this machine made; true when it is gone (or was never there).
    virtual bool Remove(const MappingRecord& record, Deadline deadline) = 0;
};

std::unique_ptr<HomeRouter> MakeUpnpRouter();
std::unique_ptr<HomeRouter> MakeNatPmpRouter();
// NAT-PMP spoken to the router at this IPv4 address and port rather than the default
// gateway's 5351: a router of the tests' own on 127.0.0.1.
std::unique_ptr<HomeRouter> MakeNatPmpRouterAt(std::string ipv4, int port);

// What a router's "mapped" answer means for the player: Opened, or SharedAddress when
// its outside address is private or shared. A lease of 0 is one without end.
RouterAnswer MappedAnswer(const PortRequest& request, std::string_view method,
                          std::string publicAddress, int publicPort, std::string internalClient,
                          std::chrono::seconds lease);

struct MappingOptions {
    std::chrono::milliseconds bound = kRouterBound;
    std::chrono::seconds lease = kMappingLease;
    // The ways to try, in order: NAT-PMP, quick to answer or to fail, then UPnP,
    // unless a test says otherwise.
    std::function<std::vector<std::unique_ptr<HomeRouter>>()> routers;
};

// One port kept open on the router while this object lives: asked for at once on a
// thread of its own, renewed at half the lease, removed when closed or destroyed. No
// call waits longer than the bound.
class PortMapping {
  public:
    explicit PortMapping(PortRequest request, MappingOptions options = {});
    ~PortMapping();
    PortMapping(const PortMapping&) = delete;
    PortMapping& operator=(const PortMapping&) = delete;

    // The answer once there is one, without waiting. After the bound it is NoRouter
    // whatever the router may still say: a mapping made later is removed at once.
    std::optional<RouterAnswer> Answer() const;
    // Waits for the answer, at most until the bound has passed since the start.
    RouterAnswer Wait() const;
    // The router did not answer the last renewal: the port may close when what it
    // granted runs out.
    bool RouterSilent() const;
    // Removes the mapping, waiting at most the bound from the first call, however often
    // it is called; true when the router confirmed, or when nothing was mapped.
    bool Close();

    struct State;

  private:
    std::shared_ptr<State> state_;
};

// Removes a mapping a crashed launcher left behind, waiting at most the bound. True
// when it is gone: removed, expired, or no longer this machine's.
bool RemoveMappingLeftBehind(const MappingRecord& record, const MappingOptions& options = {});

} // namespace marloven
