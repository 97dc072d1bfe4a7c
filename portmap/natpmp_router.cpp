// SPDX-License-Identifier: GPL-3.0-or-later
// NAT-PMP through libnatpmp: the way of Apple's routers and of many others beside UPnP.
#include "portmap/port_mapping.h"

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <sys/select.h>
#endif

#include <natpmp.h>

#include <algorithm>

namespace marloven::portmap {

namespace {

constexpr std::chrono::milliseconds kFirstContact{400};

int ProtocolCode(Protocol protocol) {
    return protocol == Protocol::Tcp ? NATPMP_PROTOCOL_TCP : NATPMP_PROTOCOL_UDP;
}

// The router's own refusals, as against silence or a router without NAT-PMP.
std::optional<std::string> Refusal(int code) {
    switch (code) {
    case NATPMP_ERR_NOTAUTHORIZED:
        return "it is not allowed to";
    case NATPMP_ERR_NETWORKFAILURE:
        return "it has no connection to the internet";
    case NATPMP_ERR_OUTOFRESOURCES:
        return "it has no room for another port";
    case NATPMP_ERR_UNDEFINEDERROR:
        return "it gave no reason";
    default:
        return std::nullopt;
    }
}

class NatPmpRouter final : public Router {
  public:
    ~NatPmpRouter() override {
        if (open_) {
            closenatpmp(&handle_);
        }
    }

    Result Open(const Request& request, std::chrono::seconds lease, Deadline deadline) override {
        natpmpresp_t response{};
        int code = Start() ? sendpublicaddressrequest(&handle_) : NATPMP_ERR_CANNOTGETGATEWAY;
        // A router that speaks NAT-PMP answers within milliseconds; one that has not
        // answered yet gets two tries, leaving UPnP its second of searching.
        const auto firstContact =
            std::min(deadline, std::chrono::steady_clock::now() + kFirstContact);
        code = code < 0 ? code : Await(response, answered_ ? deadline : firstContact);
        answered_ = answered_ || code == 0;
        if (code != 0) {
            return Failed(code);
        }
        char address[INET_ADDRSTRLEN] = {};
        inet_ntop(AF_INET, &response.pnu.publicaddress.addr, address, sizeof address);
        const auto asked = lease.count() > 0 ? lease : kLease; // 0 would remove it
        const auto port = static_cast<std::uint16_t>(request.port);
        code = sendnewportmappingrequest(&handle_, ProtocolCode(request.protocol), port, port,
                                         static_cast<std::uint32_t>(asked.count()));
        code = code < 0 ? code : Await(response, deadline);
        if (code != 0) {
            return Failed(code);
        }
        const auto& mapped = response.pnu.newportmapping;
        return MappedResult(request, "natpmp", address, mapped.mappedpublicport, {},
                            std::chrono::seconds(mapped.lifetime));
    }

    // The router removes only the sender's own mapping of that port.
    bool Remove(const Record& record, Deadline deadline) override {
        if (record.method != "natpmp" || !Start()) {
            return false;
        }
        natpmpresp_t response{};
        const int code =
            sendnewportmappingrequest(&handle_, ProtocolCode(record.protocol),
                                      static_cast<std::uint16_t>(record.internalPort), 0, 0);
        return code >= 0 && Await(response, deadline) == 0;
    }

  private:
    bool Start() {
        if (!open_) {
            open_ = initnatpmp(&handle_, 0, 0) >= 0;
        }
        return open_;
    }

    static Result Failed(int code) {
        Result result;
        if (auto reason = Refusal(code)) {
            result.outcome = Outcome::Refused;
            result.method = "NAT-PMP";
            result.reason = *reason;
        }
        return result;
    }

    // libnatpmp sends again on its own schedule; the wait between tries is cut short
    // at the deadline.
    int Await(natpmpresp_t& response, Deadline deadline) {
        using namespace std::chrono;
        for (;;) {
            const auto left = duration_cast<microseconds>(deadline - steady_clock::now());
            if (left.count() <= 0) {
                return NATPMP_TRYAGAIN;
            }
            timeval wait{};
            getnatpmprequesttimeout(&handle_, &wait);
            const auto next = seconds(wait.tv_sec) + microseconds(wait.tv_usec);
            const auto chosen = std::clamp(next, microseconds(0), left);
            wait.tv_sec = static_cast<decltype(wait.tv_sec)>(chosen.count() / 1000000);
            wait.tv_usec = static_cast<decltype(wait.tv_usec)>(chosen.count() % 1000000);
            fd_set readable;
            FD_ZERO(&readable);
            FD_SET(handle_.s, &readable);
            select(handle_.s + 1, &readable, nullptr, nullptr, &wait);
            const int code = readnatpmpresponseorretry(&handle_, &response);
            if (code != NATPMP_TRYAGAIN) {
                return code;
            }
        }
    }

    natpmp_t handle_{};
    bool open_ = false;
    bool answered_ = false;
};

} // namespace

std::unique_ptr<Router> MakeNatPmpRouter() {
    return std::make_unique<NatPmpRouter>();
}

} // namespace marloven::portmap
