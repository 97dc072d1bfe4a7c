// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/relay.h"

#include "link/relay_parts.h"

#include "qt_text/text_conversions.h"

#include <QCryptographicHash>
#include <QHostAddress>
#include <QHostInfo>
#include <QMessageAuthenticationCode>
#include <QNetworkInterface>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTimer>
#include <QUdpSocket>
#include <algorithm>
#include <array>
#include <cstring>

namespace marloven {

namespace {

bool Binds(LinkTransport transport, const QHostAddress& address, int port) {
    if (transport == LinkTransport::Tcp) {
        QTcpServer server;
        return server.listen(address, static_cast<quint16>(port));
    }
    QUdpSocket socket;
    return socket.bind(address, static_cast<quint16>(port));
}

// Another port nearby that nothing holds, to suggest in place of one in use.
int FreeHostingPortNear(LinkTransport transport, int taken) {
    for (int port = taken + 1; port < taken + 100 && port <= kHighestPort; ++port) {
        if (Binds(transport, QHostAddress::Any, port)) {
            return port;
        }
    }
    return kLowestHostingPort + 1300;
}

bool Reachable(const QHostAddress& address) {
    return !address.isLoopback() && !address.isLinkLocal() && !address.isMulticast();
}

std::string_view View(const QByteArray& bytes) {
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

QByteArray Bytes(std::string_view text) {
    return {text.data(), static_cast<qsizetype>(text.size())};
}

// A fresh code at each hosting start, from the system's source of randomness.
GameCode FreshGameCode() {
    std::array<quint32, 2> words{};
    QRandomGenerator::system()->fillRange(words.data(), words.size());
    std::array<std::uint8_t, kGameCodeBytes> bytes{};
    std::memcpy(bytes.data(), words.data(), bytes.size());
    return MakeGameCode(bytes);
}

QByteArray Answer(const GameCode& code, ProofSide side, const QByteArray& hostNonce,
                  const QByteArray& joinerNonce) {
    const QByteArray key(reinterpret_cast<const char*>(code.bytes.data()),
                         static_cast<qsizetype>(code.bytes.size()));
    return QMessageAuthenticationCode::hash(
        Bytes(AnswerInput(side, View(hostNonce), View(joinerNonce))), key,
        QCryptographicHash::Sha256);
}

// Compares every byte whatever the first difference, so that the time taken tells a
// stranger nothing of how much of an answer was right.
bool SameAnswer(const QByteArray& a, const QByteArray& b) {
    if (a.size() != b.size()) {
        return false;
    }
    char difference = 0;
    for (qsizetype i = 0; i < a.size(); ++i) {
        difference = static_cast<char>(difference | (a[i] ^ b[i]));
    }
    return difference == 0;
}

} // namespace

RelayPlan PlanRelay(const InternetLink& link) {
    RelayPlan plan;
    plan.transport = link.mode == LaunchMode::Network ? LinkTransport::Udp : LinkTransport::Tcp;
    plan.side = link.mode == LaunchMode::Dial     ? LinkSide::Join
                : link.mode == LaunchMode::Answer ? LinkSide::Host
                                                  : link.side;
    plan.publicPort = link.address.port;
    plan.remote = link.address;
    plan.driverCallsAgain = link.mode == LaunchMode::Dial;
    plan.dosboxConnects = !DosboxListens(link);
    plan.code = link.code;
    plan.meetingPlace = link.meetingPlace;
    // The tunnel's host lets no one in unproven: a plain DOSBox source there would be any
    // address at all, forged ones too.
    plan.plainPeersJoin = link.plainPeersJoin && plan.transport == LinkTransport::Tcp;
    if (link.mode == LaunchMode::Answer) {
        plan.waitingFor = QStringLiteral("a call");
    } else if (link.mode == LaunchMode::Network) {
        plan.waitingFor = QStringLiteral("players");
    }
    if (link.mode == LaunchMode::Dial) {
        plan.joining = QStringLiteral("Calling");
    }
    return plan;
}

QString DescribePeer(const QHostAddress& address, int port) {
    bool mapped = false;
    const QHostAddress v4(address.toIPv4Address(&mapped));
    const QHostAddress shown = mapped ? v4 : address;
    const QString host = shown.toString();
    return MessageText(ShowLinkAddress(
        {NarrowText(host), port, shown.protocol() == QAbstractSocket::IPv6Protocol}));
}

QString StrangersText(int count) {
    return count == 1 ? QStringLiteral("1 stranger turned away")
                      : QStringLiteral("%1 strangers turned away").arg(count);
}

QByteArray RandomNonce() {
    QByteArray nonce(kNonceBytes, '\0');
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(nonce.data()),
                                          kNonceBytes / sizeof(quint32));
    return nonce;
}

QByteArray ProofFrameBytes(ProofFrame kind, const QByteArray& body) {
    return Bytes(MakeFrame(kind, View(body)));
}

std::optional<QByteArray> ProofFrameBody(const QByteArray& bytes, ProofFrame kind) {
    const auto body = FrameBody(View(bytes), kind);
    return body ? std::optional(Bytes(*body)) : std::nullopt;
}

bool MayBeMagic(const QByteArray& firstBytes) {
    return MayBeMagic(View(firstBytes));
}

int FreeLocalPort(LinkTransport transport) {
    if (transport == LinkTransport::Tcp) {
        QTcpServer server;
        return server.listen(QHostAddress::LocalHost, 0) ? server.serverPort() : 0;
    }
    QUdpSocket socket;
    return socket.bind(QHostAddress::LocalHost, 0) ? socket.localPort() : 0;
}

std::string PortInUseMessage(LinkTransport transport, int port) {
    return "The port " + std::to_string(port) +
           " is in use by another program on this machine, so nobody could reach this game "
           "there. Choose another, such as " +
           std::to_string(FreeHostingPortNear(transport, port)) + ".";
}

std::string PortNotOpenedMessage(int port, const QString& error) {
    return "The port " + std::to_string(port) + " cannot be opened: " + NarrowText(error);
}

QString AddressText(const LinkAddress& address) {
    return address.host.empty() ? QStringLiteral("the host")
                                : MessageText(ShowLinkAddress(address));
}

QString CouldNotReach(const RelayPlan& plan, TryEnd end) {
    const LinkAddress& remote = plan.remote;
    const QString address = AddressText(remote);
    switch (end) {
    case TryEnd::Refused:
        return QStringLiteral("Could not reach %1: refused. Nothing takes the link on that port "
                              "there; check that the other player is hosting and the port is "
                              "right.")
            .arg(address);
    case TryEnd::NoAnswer:
        return QStringLiteral("Could not reach %1: no answer in %2 s. A firewall or a router on "
                              "the way may be dropping the link, or the address is not the "
                              "host's.")
            .arg(address)
            .arg(plan.tryMs / 1000.0);
    case TryEnd::NoSuchHost:
        return QStringLiteral("Could not reach %1: no such host. Check the name.").arg(address);
    case TryEnd::Unreachable:
        return QStringLiteral("Could not reach %1: unreachable. This machine has no way to that "
                              "network; check the address and this machine's connection.")
            .arg(address);
    case TryEnd::CodeRefused:
        return QStringLiteral("The host at %1 did not take the game code. Check the code with "
                              "the host, then join again.")
            .arg(address);
    case TryEnd::Closed:
    case TryEnd::HungUp:
        break;
    }
    return QStringLiteral("The link with %1 ended.").arg(address);
}

void HostLookup::Start(const LinkAddress& remote, Done done) {
    done_ = std::move(done);
    const QString host = MessageText(remote.host);
    QHostAddress address;
    if (address.setAddress(host)) {
        Finish({address});
        return;
    }
    QHostInfo::lookupHost(host, this, [this](const QHostInfo& info) {
        Finish(info.error() == QHostInfo::NoError ? info.addresses() : QList<QHostAddress>());
    });
}

void HostLookup::Finish(const QList<QHostAddress>& addresses) {
    finished_ = true;
    addresses_ = addresses;
    if (done_) {
        done_(addresses_);
    }
}

Relay::Relay(RelayPlan plan)
    : plan_(std::move(plan)),
      code_(plan_.side == LinkSide::Host ? std::optional(FreshGameCode()) : plan_.code) {
    proofClock_.start();
}

Relay::~Relay() {
    if (meet_) {
        meet_->Close(); // says goodbye, and calls back no more
    }
}

QStringList Relay::AddressesToTell() const {
    std::vector<std::string> ipv4;
    QStringList ipv6;
    for (const QHostAddress& address : QNetworkInterface::allAddresses()) {
        if (address.protocol() == QAbstractSocket::IPv4Protocol) {
            ipv4.push_back(NarrowText(address.toString()));
        } else if (Reachable(address)) {
            ipv6 << DescribePeer(address, plan_.publicPort);
        }
    }
    QStringList told;
    for (const std::string& text : marloven::AddressesToTell(ipv4, plan_.publicPort)) {
        told << MessageText(text);
    }
    return told + ipv6;
}

std::optional<std::string> Relay::HostingRefusal() const {
    return HostingPortRefusal(plan_.publicPort);
}

void Relay::CountStranger() {
    emit TurnedAway(++strangers_);
}

std::int64_t Relay::ProofWaitMs() {
    return limiter_.WaitMs(proofClock_.elapsed());
}

bool Relay::ProofHolds(const ProofParts& parts) {
    const bool holds = code_ && SameAnswer(Bytes(parts.answer),
                                           Answer(*code_, ProofSide::Joiner, Bytes(parts.hostNonce),
                                                  Bytes(parts.joinerNonce)));
    if (!holds) {
        limiter_.Failed(proofClock_.elapsed());
    }
    return holds;
}

QByteArray Relay::AcceptedFrame(const ProofParts& parts) const {
    return ProofFrameBytes(
        ProofFrame::Accepted,
        Answer(*code_, ProofSide::Host, Bytes(parts.hostNonce), Bytes(parts.joinerNonce)));
}

QByteArray Relay::ProofFrameFor(const QByteArray& hostNonce, const QByteArray& joinerNonce) const {
    const QByteArray answer = Answer(*code_, ProofSide::Joiner, hostNonce, joinerNonce);
    return ProofFrameBytes(ProofFrame::Proof, Bytes(ProofBody({std::string(View(hostNonce)),
                                                               std::string(View(joinerNonce)),
                                                               std::string(View(answer))})));
}

bool Relay::HostAnswerHolds(const QByteArray& answer, const QByteArray& hostNonce,
                            const QByteArray& joinerNonce) const {
    return code_ && SameAnswer(answer, Answer(*code_, ProofSide::Host, hostNonce, joinerNonce));
}

void Relay::SetProgress(const QString& text) {
    if (text != progress_) {
        progress_ = text;
        emit Progressed(text);
    }
}

void Relay::MarkUp(const QString& peer) {
    if (!up_) {
        up_ = true;
        peer_ = peer;
        SetProgress(QStringLiteral("Linked with %1").arg(peer));
        emit LinkUp(peer);
    }
}

void Relay::PlayerArrived() {
    emit PlayersLinked(++playersLinked_);
}

void Relay::FailTry(const QString& message) {
    failure_ = message;
    if (!plan_.driverCallsAgain) {
        Fail(message);
        return;
    }
    SetProgress(message);
    emit TryFailed(message);
}

void Relay::Fail(const QString& message) {
    failure_ = message;
    if (!over_) {
        over_ = true;
        SetProgress(message);
        emit Failed(message);
    }
}

JoinRelay::JoinRelay(const RelayPlan& plan) : Relay(plan) {
    constexpr int kTickMs = 1000;
    // With the meeting place to go to, a direct try that gets no answer gives way to it
    // soon: the internet drops what goes to a home's own address without a word, a host
    // that can be reached answers within a few round trips, and DOSBox's IPX gives up its
    // tunnel's server within seconds.
    constexpr int kDirectBeforeMeetingPlaceMs = 1500;
    tryTimer_.setSingleShot(true);
    // A build without the meeting place has nothing to give way to.
    tryTimer_.setInterval(kBuiltWithMeetingPlace && plan.meetingPlace && plan.code
                              ? std::min(plan.tryMs, kDirectBeforeMeetingPlaceMs)
                              : plan.tryMs);
    ticker_.setInterval(kTickMs);
    connect(&tryTimer_, &QTimer::timeout, this, [this] { NoAnswer(); });
    connect(&ticker_, &QTimer::timeout, this, [this] { ShowTry(); });
}

void JoinRelay::StartTry() {
    trying_ = true;
    clock_.start();
    tryTimer_.start();
    ticker_.start();
    ShowTry();
}

void JoinRelay::StopTry() {
    trying_ = false;
    tryTimer_.stop();
    ticker_.stop();
}

void JoinRelay::NeedCode(std::function<void()> then) {
    StopTry();
    SetProgress(
        QStringLiteral("The host at %1 asks for its game code").arg(AddressText(plan_.remote)));
    // Out of the socket's handler: the question runs an event loop of its own.
    QTimer::singleShot(0, this, [this, then = std::move(then)] {
        const auto code = askCode_ ? askCode_() : std::nullopt;
        if (!code) {
            Fail(QStringLiteral("The host at %1 asks for its game code, and none was given: the "
                                "join was cancelled.")
                     .arg(AddressText(plan_.remote)));
            return;
        }
        code_ = code;
        codeTyped_ = true;
        StartTry();
        then();
    });
}

void JoinRelay::CodeRefused() {
    if (codeTyped_) {
        code_.reset();
    }
}

void JoinRelay::ShowWhere() {
    SetProgress(QStringLiteral("%1 %2").arg(plan_.joining, AddressText(plan_.remote)));
}

void JoinRelay::ShowTry() {
    const QString way =
        meet_ ? QStringLiteral(" through the meeting place at ") + MeetingPlaceName() : QString();
    SetProgress(QStringLiteral("%1 %2%3 ... %4 s")
                    .arg(plan_.joining, AddressText(plan_.remote), way)
                    .arg(clock_.elapsed() / 1000));
}

std::optional<std::string> JoinRelay::Open() {
    if (const auto error = BindLocalEnd()) {
        return "The launcher could not open its end of the link: " + NarrowText(*error);
    }
    ShowWhere();
    if (MeetsOnly()) {
        return std::nullopt;
    }
    lookup_.Start(plan_.remote, [this](const QList<QHostAddress>& addresses) {
        if (addresses.isEmpty()) {
            NoSuchHost();
            Fail(CouldNotReach(plan_, TryEnd::NoSuchHost));
        } else {
            HostFound(addresses);
        }
    });
    return std::nullopt;
}

std::unique_ptr<Relay> MakeRelay(const RelayPlan& plan) {
    if (plan.transport == LinkTransport::Tcp) {
        return plan.side == LinkSide::Host ? MakeTcpHostRelay(plan) : MakeTcpJoinRelay(plan);
    }
    return plan.side == LinkSide::Host ? MakeUdpHostRelay(plan) : MakeUdpJoinRelay(plan);
}

OpenedRelay OpenRelay(const InternetLink& link) {
    OpenedRelay opened{MakeRelay(PlanRelay(link)), {}};
    opened.refusal = opened.relay->Open();
    if (opened.refusal) {
        opened.relay.reset();
    }
    return opened;
}

} // namespace marloven
