// SPDX-License-Identifier: GPL-3.0-or-later
#include "launcher/router_port.h"

#include "launcher/launcher_settings.h"

namespace marloven {

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

portmap::Protocol HostedProtocol(const InternetLink& link) {
    return link.mode == LaunchMode::Network ? portmap::Protocol::Udp : portmap::Protocol::Tcp;
}

RouterPort::RouterPort(LauncherSettings& settings, portmap::Options options)
    : settings_(settings), options_(std::move(options)) {}

RouterPort::~RouterPort() {
    Close();
}

void RouterPort::Open(const InternetLink& link) {
    Close();
    if (!HostedStart(link) || !settings_.Get(LauncherKey::RouterAsk).toBool()) {
        return;
    }
    link_ = link;
    mapping_ = std::make_unique<portmap::Mapping>(portmap::Request{HostedProtocol(link), link.port},
                                                  options_);
}

std::optional<portmap::Result> RouterPort::Answer() {
    if (!mapping_) {
        return std::nullopt;
    }
    if (!answer_) {
        answer_ = mapping_->Wait();
        // Noted before anything else can happen, so that a crash leaves a trace.
        if (answer_->record) {
            settings_.Set(LauncherKey::RouterMapping,
                          QString::fromStdString(portmap::RecordText(*answer_->record)));
            settings_.Sync();
        }
    }
    return answer_;
}

QString RouterPort::Words() {
    const auto answer = Answer();
    return answer ? QString::fromStdString(portmap::Describe(*answer)) : QString();
}

std::optional<Invitation> RouterPort::RouterInvitation() {
    const auto answer = Answer();
    const auto start = HostedStart(link_);
    if (!answer || !start || answer->outcome != portmap::Outcome::Opened ||
        !IsIpv4Address(answer->publicAddress)) {
        return std::nullopt;
    }
    return Invitation{*start, answer->publicAddress, answer->publicPort};
}

void RouterPort::Close() {
    if (!mapping_) {
        return;
    }
    const bool removed = mapping_->Close();
    if (removed || !answer_ || !answer_->record) {
        settings_.Set(LauncherKey::RouterMapping, QString());
        settings_.Sync();
    }
    mapping_.reset();
    answer_.reset();
}

void RemoveLeftoverMapping(LauncherSettings& settings, const portmap::Options& options) {
    const QString text = settings.Get(LauncherKey::RouterMapping).toString();
    if (text.isEmpty()) {
        return;
    }
    const auto record = portmap::ParseRecord(text.toStdString());
    // A record that cannot be read names nothing that could be removed.
    if (!record || portmap::RemoveLeftover(*record, options)) {
        settings.Set(LauncherKey::RouterMapping, QString());
        settings.Sync();
    }
}

} // namespace marloven
