// SPDX-License-Identifier: GPL-3.0-or-later
// NAT-PMP, the way of Apple's routers and of many others beside UPnP: two short
// questions over UDP to the router's port 5351, spoken here directly, as it needs no
// library and Windows has none to be had.
#include "os/router_datagrams.h"
#include "portmap/port_mapping.h"

#include <algorithm>
#include <utility>

namespace marloven {

namespace {

using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;

constexpr int kRouterPort = 5351;
constexpr std::uint8_t kVersion = 0;
constexpr std::uint8_t kAskAddress = 0;
constexpr std::uint8_t kAnswered = 128; // added to the question's code in its answer
constexpr std::size_t kAddressAnswerSize = 12;
constexpr std::size_t kMappingAnswerSize = 16;
// A router that speaks NAT-PMP answers within milliseconds; one that has not answered
// yet gets two tries, leaving UPnP its second of searching.
constexpr std::chrono::milliseconds kFirstContact{400};
// The protocol's own schedule: sent again after 250 ms, then after twice the wait.
constexpr std::chrono::milliseconds kFirstResend{250};

void Put16(Bytes& bytes, unsigned value) {
    bytes.push_back(static_cast<std::uint8_t>(value >> 8));
    bytes.push_back(static_cast<std::uint8_t>(value));
}

unsigned Get16(const Bytes& bytes, std::size_t at) {
    return (unsigned{bytes[at]} << 8) | bytes[at + 1];
}

std::uint32_t Get32(const Bytes& bytes, std::size_t at) {
    return (std::uint32_t{Get16(bytes, at)} << 16) | Get16(bytes, at + 2);
}

// The question that maps (or, with a lifetime of 0, removes) a port.
Bytes MappingQuestion(PortProtocol protocol, int internalPort, int externalPort,
                      std::uint32_t lifetime) {
    Bytes bytes{kVersion, static_cast<std::uint8_t>(protocol == PortProtocol::Udp ? 1 : 2), 0, 0};
    Put16(bytes, static_cast<unsigned>(internalPort));
    Put16(bytes, static_cast<unsigned>(externalPort));
    Put16(bytes, lifetime >> 16);
    Put16(bytes, lifetime & 0xffff);
    return bytes;
}

// The router's own refusals, as against a router that does not speak this version or
// this question (1 and 5), which is as good as none.
std::optional<std::string> Refusal(unsigned code) {
    switch (code) {
    case 1:
    case 5:
        return std::nullopt;
    case 2:
        return "it is not allowed to";
    case 3:
        return "it has no connection to the internet";
    case 4:
        return "it has no room for another port";
    default:
        return "it gave no reason";
    }
}

RouterAnswer Failed(unsigned code) {
    RouterAnswer result;
    if (auto reason = Refusal(code)) {
        result.outcome = RouterOutcome::Refused;
        result.method = "NAT-PMP";
        result.reason = *reason;
    }
    return result;
}

// Whether the datagram answers the question: this version, this question's code, and
// for a mapping, the port asked about. A late answer to an earlier question (another
// port's mapping, or its removal) is not this one's.
bool Answers(const Bytes& answer, const Bytes& question, std::size_t size) {
    if (answer.size() < size || answer[0] != kVersion || answer[1] != kAnswered + question[1]) {
        return false;
    }
    return size != kMappingAnswerSize || Get16(answer, 8) == Get16(question, 4);
}

// The router's answer to the question, or nothing at the deadline or once the system
// says that nothing listens there.
std::optional<Bytes> Ask(RouterDatagrams& router, const Bytes& question, std::size_t size,
                         HomeRouter::Deadline deadline) {
    auto wait = kFirstResend;
    while (Clock::now() < deadline && router.Send(question)) {
        const auto resend = std::min(deadline, Clock::now() + wait);
        for (auto now = Clock::now(); now < resend; now = Clock::now()) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(resend - now);
            auto answer = router.Receive(left);
            if (router.Refused()) {
                return std::nullopt;
            }
            if (answer && Answers(*answer, question, size)) {
                return answer;
            }
        }
        wait *= 2;
    }
    return std::nullopt;
}

class NatPmpRouter final : public HomeRouter {
  public:
    // No address: the default route's gateway, at the protocol's port.
    explicit NatPmpRouter(std::optional<std::string> address = std::nullopt, int port = kRouterPort)
        : address_(std::move(address)), port_(port) {}

    RouterAnswer Open(const PortRequest& request, std::chrono::seconds lease,
                      Deadline deadline) override {
        RouterDatagrams* router = Line();
        if (router == nullptr) {
            return {};
        }
        const auto firstContact = std::min(deadline, Clock::now() + kFirstContact);
        const auto address = Ask(*router, {kVersion, kAskAddress}, kAddressAnswerSize,
                                 answered_ ? deadline : firstContact);
        if (!address) {
            return {};
        }
        answered_ = true;
        if (const unsigned code = Get16(*address, 2); code != 0) {
            return Failed(code);
        }
        const std::string publicAddress =
            std::to_string((*address)[8]) + "." + std::to_string((*address)[9]) + "." +
            std::to_string((*address)[10]) + "." + std::to_string((*address)[11]);
        const auto asked = lease.count() > 0 ? lease : kMappingLease; // 0 would remove it
        const auto mapped = Ask(*router,
                                MappingQuestion(request.protocol, request.port, request.port,
                                                static_cast<std::uint32_t>(asked.count())),
                                kMappingAnswerSize, deadline);
        if (!mapped) {
            return {};
        }
        if (const unsigned code = Get16(*mapped, 2); code != 0) {
            return Failed(code);
        }
        // Port 0 names nowhere to tell, and a lifetime of 0 is the router saying that it
        // keeps nothing: neither opens the port, whatever the result code says.
        const auto externalPort = static_cast<int>(Get16(*mapped, 10));
        const auto granted = std::chrono::seconds(Get32(*mapped, 12));
        if (externalPort == 0 || granted.count() == 0) {
            RouterAnswer result;
            result.outcome = RouterOutcome::Refused;
            result.method = "NAT-PMP";
            result.reason = "it answered with no port or no time to keep it";
            return result;
        }
        return MappedAnswer(request, "natpmp", publicAddress, externalPort, {}, granted);
    }

    // The router removes only the sender's own mapping of that port.
    bool Remove(const MappingRecord& record, Deadline deadline) override {
        RouterDatagrams* router = record.method == "natpmp" ? Line() : nullptr;
        if (router == nullptr) {
            return false;
        }
        const auto answer =
            Ask(*router, MappingQuestion(record.protocol, record.internalPort, 0, 0),
                kMappingAnswerSize, deadline);
        return answer && Get16(*answer, 2) == 0;
    }

  private:
    // The line to the router, made at the first question.
    RouterDatagrams* Line() {
        if (!router_) {
            if (const auto gateway = address_ ? address_ : DefaultGatewayIpv4()) {
                router_.emplace(*gateway, port_);
            }
        }
        return router_ && router_->IsOpen() ? &*router_ : nullptr;
    }

    std::optional<std::string> address_;
    int port_;
    std::optional<RouterDatagrams> router_;
    bool answered_ = false;
};

} // namespace

std::unique_ptr<HomeRouter> MakeNatPmpRouter() {
    return std::make_unique<NatPmpRouter>();
}

std::unique_ptr<HomeRouter> MakeNatPmpRouterAt(std::string ipv4, int port) {
    return std::make_unique<NatPmpRouter>(std::move(ipv4), port);
}

} // namespace marloven
