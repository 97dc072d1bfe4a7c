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

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace marloven::testing {

inline constexpr const char* kHomeAddress = "192.168.77.2";
inline constexpr const char* kRouterOutsideAddress = "198.20.23.1";

struct ProgramRun {
    bool finished = false;
    int exitCode = -1;
    std::string output; // standard output and error together
};

// Runs a program with its arguments as given (no shell), for at most the limit.
ProgramRun RunProgram(const std::vector<std::string>& arguments,
                      std::chrono::milliseconds limit = std::chrono::seconds(10));

// Why these tests cannot run here, or nothing when they can.
std::optional<std::string> LabUnavailable();

enum class RouterKind {
    UpnpOnly,   // miniupnpd with NAT-PMP off
    NatPmpOnly, // miniupnpd with UPnP off
    Silent,     // no miniupnpd, and the router drops whatever is sent to it
    Bare,       // no miniupnpd; what the test runs in the router's namespace answers
};

class Lab {
  public:
    explicit Lab(RouterKind kind);
    ~Lab();
    Lab(const Lab&) = delete;
    Lab& operator=(const Lab&) = delete;

    // Empty when the lab stands; what failed otherwise.
    const std::string& Failure() const { return failure_; }
    // Runs a program inside one of the namespaces: "home", "router" or "outside".
    ProgramRun RunIn(const std::string& where, std::vector<std::string> arguments) const;
    std::string NamespaceName(const std::string& where) const;
    std::string RouterLog() const;

  private:
    bool Build(RouterKind kind);
    bool StartMiniupnpd(bool upnp);
    bool MiniupnpdReady(bool upnp) const;
    bool Step(const std::vector<std::string>& arguments);

    std::string prefix_;
    std::string directory_;
    std::vector<std::string> namespaces_;
    int miniupnpd_ = -1;
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
