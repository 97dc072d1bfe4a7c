// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "comm/game_code.h"
#include "comm/internet_link.h"
#include "comm/link_address.h"
#include "comm/link_proof.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTcpSocket>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace marloven {

// How DOSBox's end of a link travels: its modem and null-modem cable over TCP, its IPX
// tunnel over UDP.
enum class LinkTransport { Tcp, Udp };

// What the launcher carries between DOSBox (always on 127.0.0.1) and the other players.
struct RelayPlan {
    LinkTransport transport = LinkTransport::Tcp;
    LinkSide side = LinkSide::Host;
    // Hosting: the port the other players reach, on every address of this machine.
    int publicPort = 0;
    // Joining: the host, a name or an IPv4 or IPv6 address.
    LinkAddress remote;
    // Hosting: DOSBox reaches the launcher's end on 127.0.0.1 (its cable, its tunnel)
    // rather than listening itself, which it could only do on every address.
    bool dosboxConnects = false;
    // Each connection DOSBox makes to the launcher's end is one try at the host, and a
    // failed try is final unless the driver calls again after it (the modem's dial).
    bool driverCallsAgain = false;
    // How long one try waits for the host to answer.
    int tryMs = 10000;
    // Joining: the host's game code, when the start has it.
    std::optional<GameCode> code;
    // Hosting: a peer that does not begin the handshake is carried as plain DOSBox
    // rather than turned away.
    bool plainPeersJoin = false;
    // How the player names the start in the texts: "a call", "the other player", ...
    QString waitingFor = QStringLiteral("the other player");
    QString joining = QStringLiteral("Joining");
    // The meeting place's broker, when the start names one: hosting waits there too, and
    // a join whose direct try finds no way to the host goes through it (with the code).
    std::optional<LinkAddress> meetingPlace;
};

// The plan for a comm-driver start's link.
RelayPlan PlanRelay(const InternetLink& link);

class MeetingPlaceWay;

// Carries one start's link. Hosting binds the public port before DOSBox starts and,
// for each player who arrives, reaches DOSBox on its local port. Joining opens a local
// end for DOSBox and, for each connection DOSBox makes there, resolves and reaches the
// host, each try bounded.
//
// Lives on the thread that makes it; that thread's event loop carries the bytes.
class Relay : public QObject {
    Q_OBJECT
  public:
    // How long a player who has arrived waits for DOSBox to take the link.
    static constexpr int kDosboxReadyMs = 30000;
    // How long a peer has to prove the game code, from its first contact.
    static constexpr int kProofMs = 5000;
    // The host's tunnel tells players apart by their address: one local end for each,
    // and eight players at most, the host included.
    static constexpr int kMostPlayers = kMostNetworkPlayers;

    ~Relay() override;

    // Binds what the start needs; the refusal, in the player's words, when it cannot
    // (a port in use or not for hosting). Nothing has started then.
    virtual std::optional<std::string> Open() = 0;
    // The port on 127.0.0.1 that DOSBox is given: where it listens when hosting, where
    // it reaches the launcher when joining.
    int DosboxPort() const { return dosboxPort_; }
    // Hosting: "address:port" for each address of this machine another machine may
    // reach, the likeliest first.
    QStringList AddressesToTell() const;
    // What happens now, for the player to read.
    QString Progress() const { return progress_; }
    bool IsUp() const { return up_; }
    bool Hosting() const { return plan_.side == LinkSide::Host; }
    // Hosting: the port the other players reach, bound on every address of this machine.
    int PublicPort() const { return plan_.publicPort; }
    // Who the link is up with ("198.51.100.4:2323").
    QString Peer() const { return peer_; }
    // The last try's failure, or empty.
    QString Failure() const { return failure_; }
    // Closes every socket; nothing is carried afterwards.
    virtual void Close() = 0;
    // Hosting: the start's own game code, fresh at each start, which joiners prove.
    std::optional<GameCode> Code() const { return code_; }
    // Hosting: the peers that failed the proof, said nothing in time or were not
    // Marloven where only Marloven may join.
    int StrangersTurnedAway() const { return strangers_; }
    bool PlainPeersJoin() const { return plan_.plainPeersJoin; }
    // Where the start meets the others when no direct way is found, if anywhere.
    const std::optional<LinkAddress>& MeetingPlace() const { return plan_.meetingPlace; }
    // Which way the game is carried, once a player is linked: "direct", or "through the
    // meeting place at meet.example.org"; empty before.
    QString Path() const { return path_; }
    // The round trip as last measured, updated while the game runs: through the meeting
    // place by the link's own pings, direct by the system's measure on the connection; -1
    // when unknown (a direct tunnel, or a system that does not tell).
    int RoundTripMs() const { return roundTripMs_; }
    // Joining without a code: what asks the player for the host's, once the host asks
    // for it; nothing when the player cancels.
    void AskCodeWith(std::function<std::optional<GameCode>()> ask) { askCode_ = std::move(ask); }

  signals:
    void Progressed(const QString& text);
    // The first bytes from another player reached DOSBox.
    void LinkUp(const QString& peer);
    // A try at the host failed; the driver may try again.
    void TryFailed(const QString& message);
    // Nothing more can come of the link; DOSBox's start should end.
    void Failed(const QString& message);
    // Hosting: one more stranger was turned away; `count` in all.
    void TurnedAway(int count);
    // Path() or RoundTripMs() changed.
    void PathChanged();
    // Hosting: one more player is linked; `count` in all, the host left out.
    void PlayersLinked(int count);

  protected:
    explicit Relay(RelayPlan plan);
    void SetProgress(const QString& text);
    void MarkUp(const QString& peer);
    // Hosting: a player is linked (the tunnel's each once, the cable's or modem's one).
    void PlayerArrived();
    void FailTry(const QString& message);
    void Fail(const QString& message);
    std::optional<std::string> HostingRefusal() const;
    void CountStranger();
    // A player is linked, directly or through the meeting place.
    void LinkedBy(bool throughMeetingPlace);
    void SetRoundTrip(int ms);
    // A direct TCP link: its round trip as the system measures it on the connection,
    // each second while the connection lasts.
    void WatchDirectRoundTrip(QTcpSocket* remote);
    // The meeting place the plan names, reached for this start (hosting: the game is
    // taken there; joining: the host is looked for there); nothing, with the reason in
    // `failure`, when this build has no meeting place.
    MeetingPlaceWay* OpenMeetingPlace(QString& failure);
    // Hosting: the game taken at the meeting place too, when the plan names one.
    MeetingPlaceWay* HostAtMeetingPlace();
    void CloseMeetingPlace();
    QString MeetingPlaceName() const;
    // Hosting: what the relay waits for, and where.
    QString WaitingText() const;
    void NoteMeetingPlace(const QString& note);
    // Hosting: who a player who came through the meeting place is, for the texts.
    QString MeetingPlacePlayer() const;

    // Hosting: how long a proof must wait before it may be checked (0: now), so that the
    // code cannot be guessed (TryLimiter).
    std::int64_t ProofWaitMs();
    // Whether the joiner's answer is the code's for the nonces; a failure counts against
    // the limiter.
    bool ProofHolds(const ProofParts& parts);
    // Hosting: the frame that tells a proven joiner the host knows the code too.
    QByteArray AcceptedFrame(const ProofParts& parts) const;
    // Joining: the proof of the code for the host's challenge.
    QByteArray ProofFrameFor(const QByteArray& hostNonce, const QByteArray& joinerNonce) const;
    bool HostAnswerHolds(const QByteArray& answer, const QByteArray& hostNonce,
                         const QByteArray& joinerNonce) const;

    RelayPlan plan_;
    int dosboxPort_ = 0;
    std::unique_ptr<MeetingPlaceWay> meet_;
    std::optional<GameCode> code_;
    std::function<std::optional<GameCode>()> askCode_;

  private:
    QString progress_;
    QString peer_;
    QString failure_;
    bool up_ = false;
    bool over_ = false;
    int strangers_ = 0;
    int playersLinked_ = 0;
    QString path_;
    bool direct_ = false;
    bool throughMeetingPlace_ = false;
    QString meetingPlaceNote_; // hosting: whether the game is taken there too
    int roundTripMs_ = -1;
    TryLimiter limiter_;
    QElapsedTimer proofClock_;
};

std::unique_ptr<Relay> MakeRelay(const RelayPlan& plan);

// The relay of a comm-driver start's link, open; or, with no relay, why it cannot be
// opened (Relay::Open).
struct OpenedRelay {
    std::unique_ptr<Relay> relay;
    std::optional<std::string> refusal;
};
OpenedRelay OpenRelay(const InternetLink& link);

// Texts shared with the windows.
QString DescribePeer(const QHostAddress& address, int port);
// "1 stranger turned away", "2 strangers turned away".
QString StrangersText(int count);

} // namespace marloven
