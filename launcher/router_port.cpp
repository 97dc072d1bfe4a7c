// SPDX-License-Identifier: GPL-3.0-or-later
#include "launcher/router_port.h"

#include "comm/link_address.h"
#include "launcher/launcher_settings.h"
#include "link/relay.h"
#include "qt_text/text_conversions.h"

namespace marloven {

namespace {

// Often enough that the player reads the answer as soon as it comes; afterwards the
// renewals' new expiry is noted, so that a crash hours later still removes the port,
// and a router gone silent is told within a second.
constexpr int kUntilAnswerMs = 25;
constexpr int kAfterAnswerMs = 1000;
constexpr QChar kRecordSeparator = u';';

// Every mapping noted and not yet removed: this start's, and those crashes left that
// their router has not yet confirmed removing.
QStringList NotedRecords(const LauncherSettings& settings) {
    QStringList records;
    for (const QString& record :
         settings.Get(LauncherKey::RouterMapping).toString().split(kRecordSeparator)) {
        if (!record.trimmed().isEmpty()) {
            records.append(record.trimmed());
        }
    }
    return records;
}

void NoteRecords(LauncherSettings& settings, const QStringList& records) {
    settings.Set(LauncherKey::RouterMapping, records.join(QStringLiteral("; ")));
    settings.Sync();
}

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

// Only this start's own record goes, and only once the router confirmed: what earlier
// crashes left stays for the next start to remove.
RouterPort::~RouterPort() {
    if (mapping_->Close() && !noted_.isEmpty()) {
        QStringList records = NotedRecords(settings_);
        records.removeAll(noted_);
        NoteRecords(settings_, records);
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
        QStringList records = NotedRecords(settings_);
        records.removeAll(noted_);
        records.append(text);
        noted_ = text;
        NoteRecords(settings_, records);
    }
}

// Announced once the answer is known, whoever read it first: a router that answers
// while the window is being made must not leave it saying that the router is asked.
void RouterPort::Poll() {
    const bool silent = mapping_->RouterSilent();
    if (Answer() && (!announced_ || silent != silent_)) {
        poll_.setInterval(kAfterAnswerMs);
        announced_ = true;
        silent_ = silent;
        emit Answered();
    }
}

QString RouterPort::Words() {
    const auto answer = Answer();
    if (answer && mapping_->RouterSilent()) {
        return QStringLiteral("The router no longer answers: the port may close.");
    }
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
    const QStringList records = NotedRecords(settings);
    if (records.isEmpty()) {
        return;
    }
    QStringList kept;
    for (const QString& text : records) {
        const auto record = ParseMappingRecord(NarrowText(text));
        // A record that cannot be read names nothing that could be removed.
        if (record && !RemoveMappingLeftBehind(*record, options)) {
            kept.append(text);
        }
    }
    NoteRecords(settings, kept);
}

} // namespace marloven
