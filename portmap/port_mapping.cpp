// SPDX-License-Identifier: GPL-3.0-or-later
#include "portmap/port_mapping.h"

#include <charconv>
#include <condition_variable>
#include <ctime>
#include <mutex>
#include <sstream>
#include <thread>

namespace marloven {

namespace {

using Clock = std::chrono::steady_clock;

std::string_view ProtocolName(PortProtocol protocol) {
    return protocol == PortProtocol::Tcp ? "TCP" : "UDP";
}

std::optional<int> ParseNumber(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::uint32_t> ParseIpv4(std::string_view text) {
    std::uint32_t address = 0;
    for (int part = 0; part < 4; ++part) {
        const auto dot = text.find('.');
        const bool last = part == 3;
        if (last != (dot == std::string_view::npos)) {
            return std::nullopt;
        }
        const auto piece = text.substr(0, dot);
        const auto value = ParseNumber(piece);
        if (piece.empty() || piece.size() > 3 || !value || *value > 255) {
            return std::nullopt;
        }
        address = address << 8 | static_cast<std::uint32_t>(*value);
        text = last ? std::string_view() : text.substr(dot + 1);
    }
    return address;
}

std::string PortWords(const RouterAnswer& result) {
    return std::string(ProtocolName(result.protocol)) + " port " + std::to_string(result.port);
}

std::string Instead(const RouterAnswer& result) {
    return "Forward " + PortWords(result) +
           " to this machine on your router by hand, or let the other player host.";
}

} // namespace

std::string MappingRecordText(const MappingRecord& record) {
    std::ostringstream text;
    text << record.method << ' ' << (record.protocol == PortProtocol::Tcp ? "tcp" : "udp") << ' '
         << record.externalPort << ' ' << record.internalPort << ' '
         << (record.internalClient.empty() ? "-" : record.internalClient) << ' ' << record.expires;
    return text.str();
}

std::optional<MappingRecord> ParseMappingRecord(std::string_view text) {
    std::istringstream in{std::string(text)};
    MappingRecord record;
    std::string protocol;
    if (!(in >> record.method >> protocol >> record.externalPort >> record.internalPort >>
          record.internalClient >> record.expires) ||
        (record.method != "upnp" && record.method != "natpmp") ||
        (protocol != "tcp" && protocol != "udp")) {
        return std::nullopt;
    }
    record.protocol = protocol == "tcp" ? PortProtocol::Tcp : PortProtocol::Udp;
    if (record.internalClient == "-") {
        record.internalClient.clear();
    }
    return record;
}

bool IsIpv4Address(std::string_view text) {
    return ParseIpv4(text).has_value();
}

bool IsPrivateOrShared(std::string_view ipv4) {
    const auto address = ParseIpv4(ipv4);
    if (!address) {
        return false;
    }
    const auto in = [&](std::uint32_t network, int bits) {
        return (*address >> (32 - bits)) == (network >> (32 - bits));
    };
    return in(0x0A000000, 8) || in(0xAC100000, 12) || in(0xC0A80000, 16) || in(0x64400000, 10);
}

RouterAnswer MappedAnswer(const PortRequest& request, std::string_view method,
                          std::string publicAddress, int publicPort, std::string internalClient,
                          std::chrono::seconds lease) {
    RouterAnswer result;
    result.protocol = request.protocol;
    result.port = request.port;
    result.method = method == "upnp" ? "UPnP" : "NAT-PMP";
    // What does not read as an IPv4 address is no address to tell: the player is sent
    // to find it out, as when the router says none.
    if (!IsIpv4Address(publicAddress)) {
        publicAddress.clear();
    }
    result.outcome =
        IsPrivateOrShared(publicAddress) ? RouterOutcome::SharedAddress : RouterOutcome::Opened;
    result.publicAddress = std::move(publicAddress);
    result.publicPort = publicPort;
    const auto now = static_cast<std::int64_t>(std::time(nullptr));
    result.record = MappingRecord{std::string(method),
                                  request.protocol,
                                  publicPort,
                                  request.port,
                                  std::move(internalClient),
                                  lease.count() == 0 ? INT64_MAX : now + lease.count()};
    return result;
}

std::string DescribeRouterAnswer(const RouterAnswer& result) {
    const std::string tell = result.publicAddress + ":" + std::to_string(result.publicPort);
    switch (result.outcome) {
    case RouterOutcome::Opened:
        if (result.publicAddress.empty() || result.publicAddress == "0.0.0.0") {
            return "Your router opened " + PortWords(result) +
                   " but did not say its address on the internet. Tell the address a \"what "
                   "is my IP address\" page shows, with port " +
                   std::to_string(result.publicPort) + ".";
        }
        return "Tell: " + tell + " \u2014 opened on your router (" + result.method + ").";
    case RouterOutcome::SharedAddress:
        return "Your router opened " + PortWords(result) + ", but its own address, " +
               result.publicAddress +
               ", is not on the internet: a second router or your provider's shared address "
               "stands in between, so players outside cannot reach you this way. " +
               Instead(result);
    case RouterOutcome::Refused:
        return "Your router would not open " + PortWords(result) + " (" + result.reason + "). " +
               Instead(result);
    case RouterOutcome::NoRouter:
        break;
    }
    return "No router answered within 2 s, so nothing was opened for you. " + Instead(result);
}

namespace {

std::vector<std::unique_ptr<HomeRouter>> RoutersFor(const MappingOptions& options) {
    if (options.routers) {
        return options.routers();
    }
    std::vector<std::unique_ptr<HomeRouter>> routers;
    routers.push_back(MakeNatPmpRouter());
    routers.push_back(MakeUpnpRouter());
    return routers;
}

bool Mapped(const RouterAnswer& result) {
    return result.outcome == RouterOutcome::Opened ||
           result.outcome == RouterOutcome::SharedAddress;
}

// Asks each way in turn until one maps the port; a refusal is kept in case no other
// way does better.
std::pair<RouterAnswer, HomeRouter*> OpenWithAny(std::vector<std::unique_ptr<HomeRouter>>& routers,
                                                 const PortRequest& request,
                                                 std::chrono::seconds lease,
                                                 Clock::time_point deadline) {
    RouterAnswer best;
    for (auto& router : routers) {
        RouterAnswer attempt = router->Open(request, lease, deadline);
        if (Mapped(attempt)) {
            return {std::move(attempt), router.get()};
        }
        if (attempt.outcome == RouterOutcome::Refused && best.outcome == RouterOutcome::NoRouter) {
            best = std::move(attempt);
        }
        if (Clock::now() >= deadline) {
            break;
        }
    }
    return {std::move(best), nullptr};
}

} // namespace

struct PortMapping::State {
    PortRequest request;
    MappingOptions options;
    Clock::time_point started = Clock::now();
    std::mutex mutex;
    std::condition_variable changed;
    std::optional<RouterAnswer> answer;
    bool closing = false;
    bool closed = false;
    bool removed = false;
    bool silent = false; // the last renewal went unanswered
    // Set at the first Close: every later one waits for the same moment, not anew.
    std::optional<Clock::time_point> closeBy;

    RouterAnswer NoAnswer() const {
        RouterAnswer result;
        result.protocol = request.protocol;
        result.port = request.port;
        return result;
    }
    // Called with the mutex held: once the bound has passed, the answer is final.
    void SettleWhenLate() {
        if (!answer && Clock::now() >= started + options.bound) {
            answer = NoAnswer();
        }
    }
};

namespace {

using State = PortMapping::State;

// Half of what the router granted (RFC 6886), which may be far less than what was
// asked; a lease without end is renewed at half of the one asked for. Once the grant
// has run out (the router fell silent), it is asked again every second.
std::chrono::seconds RenewalWait(const State& state, const MappingRecord& record) {
    const auto left = record.expires - static_cast<std::int64_t>(std::time(nullptr));
    const auto half = std::min<std::chrono::seconds>(
        std::chrono::seconds(std::max<std::int64_t>(left, 0) / 2), state.options.lease / 2);
    return std::max<std::chrono::seconds>(half, std::chrono::seconds(1));
}

// Keeps the mapping alive until closing, then removes it.
bool HoldUntilClosed(State& state, HomeRouter& router, MappingRecord record) {
    std::unique_lock lock(state.mutex);
    while (
        !state.changed.wait_for(lock, RenewalWait(state, record), [&] { return state.closing; })) {
        lock.unlock();
        RouterAnswer renewed =
            router.Open(state.request, state.options.lease, Clock::now() + state.options.bound);
        lock.lock();
        state.silent = !Mapped(renewed) || !renewed.record;
        if (!state.silent && state.answer) {
            record = *renewed.record;
            state.answer->record = record;
        }
    }
    lock.unlock();
    return router.Remove(record, Clock::now() + state.options.bound);
}

void Work(const std::shared_ptr<State>& state) {
    auto routers = RoutersFor(state->options);
    auto [result, router] = OpenWithAny(routers, state->request, state->options.lease,
                                        state->started + state->options.bound);
    result.protocol = state->request.protocol;
    result.port = state->request.port;
    bool keep = false;
    {
        std::lock_guard lock(state->mutex);
        if (!state->answer) {
            state->answer = result;
            keep = router != nullptr && !state->closing;
        }
        state->changed.notify_all();
    }
    bool removed = true;
    if (keep) {
        removed = HoldUntilClosed(*state, *router, *result.record);
    } else if (router != nullptr) {
        // Too late or no longer wanted: the player was told nothing was opened.
        removed = router->Remove(*result.record, Clock::now() + state->options.bound);
    }
    std::lock_guard lock(state->mutex);
    state->closed = true;
    state->removed = removed;
    state->changed.notify_all();
}

} // namespace

PortMapping::PortMapping(PortRequest request, MappingOptions options)
    : state_(std::make_shared<State>()) {
    state_->request = request;
    state_->options = std::move(options);
    // The thread owns a share of the state, so it may outlive this object while it
    // removes what it mapped.
    std::thread([state = state_] { Work(state); }).detach();
}

PortMapping::~PortMapping() {
    Close();
}

std::optional<RouterAnswer> PortMapping::Answer() const {
    std::lock_guard lock(state_->mutex);
    state_->SettleWhenLate();
    return state_->answer;
}

RouterAnswer PortMapping::Wait() const {
    std::unique_lock lock(state_->mutex);
    state_->changed.wait_until(lock, state_->started + state_->options.bound,
                               [&] { return state_->answer.has_value(); });
    state_->SettleWhenLate();
    return state_->answer.value_or(state_->NoAnswer());
}

bool PortMapping::RouterSilent() const {
    std::lock_guard lock(state_->mutex);
    return state_->silent;
}

bool PortMapping::Close() {
    std::unique_lock lock(state_->mutex);
    state_->closing = true;
    state_->SettleWhenLate();
    state_->changed.notify_all();
    if (!state_->closeBy) {
        state_->closeBy = Clock::now() + state_->options.bound;
    }
    state_->changed.wait_until(lock, *state_->closeBy, [&] { return state_->closed; });
    return state_->closed && state_->removed;
}

namespace {

struct Removal {
    std::mutex mutex;
    std::condition_variable done;
    std::optional<bool> removed;
};

} // namespace

bool RemoveMappingLeftBehind(const MappingRecord& record, const MappingOptions& options) {
    if (record.expires <= static_cast<std::int64_t>(std::time(nullptr))) {
        return true; // the lease has run out: the router dropped it by itself
    }
    auto removal = std::make_shared<Removal>();
    const auto deadline = Clock::now() + options.bound;
    std::thread([removal, record, options, deadline] {
        bool removed = false;
        for (auto& router : RoutersFor(options)) {
            if (router->Remove(record, deadline)) {
                removed = true;
                break;
            }
        }
        std::lock_guard lock(removal->mutex);
        removal->removed = removed;
        removal->done.notify_all();
    }).detach();
    std::unique_lock lock(removal->mutex);
    removal->done.wait_until(lock, deadline, [&] { return removal->removed.has_value(); });
    return removal->removed.value_or(false);
}

} // namespace marloven
