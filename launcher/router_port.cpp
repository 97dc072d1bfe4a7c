// SPDX-License-Identifier: GPL-3.0-or-later
#include "launcher/router_port.h"

#include "comm/link_address.h"
#include "launcher/launcher_settings.h"
#include "launcher/text_conversions.h"
#include "link/relay.h"

namespace marloven {

namespace {

// Often enough that the player reads the answer as soon as it comes; afterwards the
// renewals' new expiry is noted, so that a crash hours later still removes the port.
constexpr int kUntilAnswerMs = 25;
constexpr int kAfterAnswerMs = 60000;

} // namespace

std::optional<InvitationStart> HostedStart(const InternetLink& link) {
    switch (link.mode) {
    case LaunchMode::Answer:
        return InvitationStart::ModemCall;
    case LaunchMode::AlreadyConnected:
        return link.side == LinkSide::Host ? std::optional(InvitationStart::Cable) : std::nullopt;
    case LaunchMode::Network:
        return link.side == LinkSide::Host ? std::optional(InvitationStart::Network) : std::nullopt;
    case LaunchMode::SinglePlayer:
    case LaunchMode::Dial:
        break;
    }
    return std::nullopt;
}

RouterPort::RouterPort(LauncherSettings& settings, InvitationStart start, PortRequest request,
                       MappingOptions options)
    : settings_(settings), start_(start),
      mapping_(std::make_unique<PortMapping>(request, std::move(options))) {
    connect(&poll_, &QTimer::timeout, this, &RouterPort::Poll);
    poll_.start(kUntilAnswerMs);
}

RouterPort::~RouterPort() {
    const bool removed = mapping_->Close();
    if (removed || noted_.isEmpty()) {
        settings_.Set(LauncherKey::RouterMapping, QString());
        settings_.Sync();
    }
}

std::optional<RouterAnswer> RouterPort::Answer() {
    if (!answer_) {
        answer_ = mapping_->Answer();
    }
    Note();
    return answer_;
}

// Noted before anything else can happen, so that a crash leaves a trace.
void RouterPort::Note() {
    const auto now = mapping_->Answer();
    if (!now || !now->record) {
        return;
    }
    const QString text = MessageText(MappingRecordText(*now->record));
    if (text != noted_) {
        noted_ = text;
        settings_.Set(LauncherKey::RouterMapping, text);
        settings_.Sync();
    }
}

void RouterPort::Poll() {
    const bool known = answer_.has_value();
    if (Answer() && !known) {
        poll_.setInterval(kAfterAnswerMs);
        emit Answered();
    }
}

QString RouterPort::Words() {
    const auto answer = Answer();
    return answer ? MessageText(DescribeRouterAnswer(*answer)) : QString();
}

std::optional<Invitation> RouterPort::RouterInvitation() {
    const auto answer = Answer();
    if (!answer || answer->outcome != RouterOutcome::Opened) {
        return std::nullopt;
    }
    // Routers give their outside address as dotted IPv4; anything else names no one.
    const auto address = ParseLinkAddress(answer->publicAddress, answer->publicPort);
    if (!address || address->host.find_first_not_of("0123456789.") != std::string::npos ||
        address->host == "0.0.0.0") {
        return std::nullopt;
    }
    return Invitation{start_, *address};
}

std::unique_ptr<RouterPort> AskRouterFor(LauncherSettings& settings, const InternetLink& link,
                                         const Relay& relay, MappingOptions options) {
    const auto start = HostedStart(link);
    if (!start || !relay.Hosting() || !settings.Get(LauncherKey::RouterAsk).toBool()) {
        return nullptr;
    }
    const auto protocol = link.mode == LaunchMode::Network ? PortProtocol::Udp : PortProtocol::Tcp;
    return std::make_unique<RouterPort>(settings, *start, PortRequest{protocol, relay.PublicPort()},
                                        std::move(options));
}

void RemoveLeftoverMapping(LauncherSettings& settings, const MappingOptions& options) {
    const QString text = settings.Get(LauncherKey::RouterMapping).toString();
    if (text.isEmpty()) {
        return;
    }
    const auto record = ParseMappingRecord(NarrowText(text));
    // A record that cannot be read names nothing that could be removed.
    if (!record || RemoveMappingLeftBehind(*record, options)) {
        settings.Set(LauncherKey::RouterMapping, QString());
        settings.Sync();
    }
}

} // namespace marloven
