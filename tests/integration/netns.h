// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A home network, its router and the internet beyond, as network namespaces joined by
// veth pairs that this test makes and removes. Nothing in them reaches any other
// network: the only links are the two veth pairs between them.
//
//   home 192.168.77.2 --- 192.168.77.1 router 198.20.23.1 --- 198.20.23.2 outside
//
// The router's outside address is a public one, since miniupnpd refuses to run on a
// private or reserved one; no packet to it leaves these namespaces.
//
// Or the internet with a meeting place on it, and two homes that reach it only outbound,
// through routers that speak neither UPnP nor NAT-PMP and forward nothing unasked:
//
//   homeA 192.168.10.2 --- 192.168.10.1 routerA 198.51.100.2 --- 198.51.100.1 internet
//   homeB 192.168.20.2 --- 192.168.20.1 routerB 100.64.0.2 --- 100.64.0.1 carrier
//                                               carrier 198.51.100.6 --- 198.51.100.5 internet
//
// Router A's NAT is symmetric: each connection leaves from a new random port, so no peer
// can punch through it. Home B is behind two NATs, its router's and its carrier's (with
// the carrier-grade range between them). The internet forwards nothing: a packet to an
// address it does not hold is dropped without an answer, as the internet drops one to a
// private address. It holds the meeting place, mosquitto as packaged, at
// 203.0.113.10:1883.

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace marloven::testing {

inline constexpr const char* kHomeAddress = "192.168.77.2";
inline constexpr const char* kRouterOutsideAddress = "198.20.23.1";
inline constexpr const char* kOutsideAddress = "198.20.23.2";
inline constexpr const char* kMeetingPlaceAddress = "203.0.113.10";
inline constexpr int kMeetingPlacePort = 1883;
// Where the meeting place's lab's routers reach the internet.
inline constexpr const char* kRouterAOutsideAddress = "198.51.100.2";
inline constexpr const char* kCarrierOutsideAddress = "198.51.100.6";

struct ProgramRun {
    bool finished = false;
    int exitCode = -1;
    std::string output; // standard output and error together
};

// Runs a program with its arguments as given (no shell), for at most the limit.
ProgramRun RunProgram(const std::vector<std::string>& arguments,
                      std::chrono::milliseconds limit = std::chrono::seconds(10));

// Why these tests cannot run here, or nothing when they can; `meetingPlace`: they need
// mosquitto too.
std::optional<std::string> LabUnavailable(bool meetingPlace = false);

enum class RouterKind {
    UpnpOnly,   // miniupnpd with NAT-PMP off
    NatPmpOnly, // miniupnpd with UPnP off
    Silent,     // no miniupnpd, and the router drops whatever is sent to it
    Bare,       // no miniupnpd; what the test runs in the router's namespace answers
};

// The meeting place's lab, drawn above.
struct BehindNats {};

class Lab {
  public:
    explicit Lab(RouterKind kind);
    explicit Lab(BehindNats);
    ~Lab();
    Lab(const Lab&) = delete;
    Lab& operator=(const Lab&) = delete;

    // Empty when the lab stands; what failed otherwise.
    const std::string& Failure() const { return failure_; }
    // Runs a program inside one of the namespaces: "home", "router" or "outside"; in the
    // meeting place's lab "homeA", "routerA", "homeB", "routerB", "carrier", "internet".
    ProgramRun RunIn(const std::string& where, std::vector<std::string> arguments) const;
    std::string NamespaceName(const std::string& where) const;
    std::string RouterLog() const;
    // mosquitto configured as the meeting place's package configures it, on port 1883 of
    // every address of the namespace, until the lab goes.
    bool StartMeetingPlace(const std::string& where);
    std::string MeetingPlaceLog() const;
    // The meeting place's lab: the connections from `from` to the meeting place go to
    // 127.0.0.1:port in the internet instead (to a forwarder in front of the broker).
    bool Divert(const std::string& from, int port);
    // The bytes that crossed the device of the namespace, both ways.
    long long DeviceBytes(const std::string& where, const std::string& device) const;

  private:
    bool Prepare();
    bool Build(RouterKind kind);
    bool Build(BehindNats);
    bool AddNamespaces(const std::vector<std::string>& names);
    // A veth pair from `a`'s device to `b`'s, each end with its address, up.
    bool Wire(const std::string& a, const std::string& aDevice, const std::string& aAddress,
              const std::string& b, const std::string& bDevice, const std::string& bAddress);
    bool Rules(const std::string& where, const std::string& rules);
    bool Forwards(const std::string& where, const std::string& via, const std::string& rules);
    bool StartMiniupnpd(bool upnp);
    bool MiniupnpdReady(bool upnp) const;
    bool Step(const std::vector<std::string>& arguments);

    std::string prefix_;
    std::string directory_;
    std::vector<std::string> namespaces_;
    int miniupnpd_ = -1;
    int meetingPlace_ = -1;
    std::string failure_;
};

// A socket waiting for others, as `ss` lists it: listening (TCP) or bound (UDP).
struct OpenSocket {
    bool datagram = false;
    std::string address; // as bound: "127.0.0.1", "0.0.0.0", "*", "[::]"
    int port = 0;
};

// The waiting sockets of the DOSBoxes this process started (other programs may run
// DOSBox too), in the calling thread's namespace.
std::vector<OpenSocket> DosboxSockets();

// Reaches for the port at the IPv4 address from inside one of the lab's namespaces: 0
// when a connection is taken (TCP), or when no refusal comes within 200 ms of a
// datagram (UDP); else the error, ECONNREFUSED for a refusal.
int Reach(const Lab& lab, const std::string& where, const std::string& address, int port,
          bool datagram);

// The shortest of `pings` MQTT round trips (PINGREQ to PINGRESP) from inside one of the
// lab's namespaces to a broker, in milliseconds: what one leg to the meeting place takes.
// -1 when the broker could not be reached.
double BrokerRoundTripMs(const Lab& lab, const std::string& where, const std::string& address,
                         int port, int pings = 20);

// While it lives, the calling thread (and every thread it starts) is in the namespace.
class InNamespace {
  public:
    InNamespace(const Lab& lab, const std::string& where);
    ~InNamespace();
    InNamespace(const InNamespace&) = delete;
    InNamespace& operator=(const InNamespace&) = delete;
    bool Entered() const { return entered_; }

  private:
    int original_ = -1;
    bool entered_ = false;
};

} // namespace marloven::testing
