// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The relay's parts, shared by its TCP and UDP sides.

#include "link/relay.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QTimer>
#include <functional>
#include <string>

class QTcpSocket;

namespace marloven {

// How a try at the host ended.
enum class TryEnd { Refused, NoAnswer, NoSuchHost, Unreachable, CodeRefused, Closed, HungUp };

// The handshake's bytes as Qt holds them (comm/link_proof.h).
QByteArray RandomNonce();
QByteArray ProofFrameBytes(ProofFrame kind, const QByteArray& body = {});
std::optional<QByteArray> ProofFrameBody(const QByteArray& bytes, ProofFrame kind);
bool MayBeMagic(const QByteArray& firstBytes);

// A free port on 127.0.0.1 for DOSBox's end, or 0.
int FreeLocalPort(LinkTransport transport);
std::string PortInUseMessage(LinkTransport transport, int port);
// The hosting port could not be bound for another reason than its being in use.
std::string PortNotOpenedMessage(int port, const QString& error);
QString CouldNotReach(const RelayPlan& plan, TryEnd end);
QString AddressText(const LinkAddress& address);

// What a joining tunnel sends the host now and then, never passed to DOSBox: the host
// frees the slot of a player it has not heard for a while.
inline const QByteArray kTunnelKeepAlive = QByteArrayLiteral("MVLK.");

// The link's way through the meeting place (link/meet_relay.cpp, in a build that has
// one): the start's own connection to the broker, and the game there under the start's
// code. Its topics and its seal are made from the code, so whoever arrives there has
// proven it. The callbacks are called with nothing of this way's on the stack that the
// callee may not destroy.
class MeetingPlaceWay : public QObject {
  public:
    // Hosting the modem or the cable: one more player, carried over a connection on
    // 127.0.0.1 whose end for the relay this is.
    std::function<void(QTcpSocket* remote)> streamArrived;
    // Hosting the tunnel: one more player, whose datagrams reach the public port from
    // this port on 127.0.0.1.
    std::function<void(quint16 port)> sourceArrived;
    // The broker is reached: hosting, the game is taken there.
    std::function<void()> reached;
    // Joining: the host answered, and the round trip to it (to a player, hosting).
    std::function<void(int ms)> roundTrip;
    // Joining the modem or the cable: the host's first bytes reached DOSBox.
    std::function<void()> firstFromHost;
    // Joining the tunnel: a datagram from the host, for DOSBox.
    std::function<void(const QByteArray&)> fromHost;
    // Nothing more comes this way: the broker could not be reached, or (joining) the host
    // left or fell silent, or DOSBox hung up (an empty `why`).
    std::function<void(const QString& why)> ended;

    // Joining the modem or the cable: carries DOSBox's connection to the host both ways,
    // nothing lost and the order kept.
    virtual void CarryStream(QTcpSocket* dosbox) = 0;
    // Joining the tunnel: one of DOSBox's datagrams for the host.
    virtual void SendToHost(const QByteArray& datagram) = 0;
    // Says goodbye to the other players; the callbacks are not called again.
    virtual void Close() = 0;
};

// The way for the start the plan names (a meeting place, and for a host or a joiner);
// nothing, and the reason in `failure`, in a build without the meeting place.
std::unique_ptr<MeetingPlaceWay> MakeMeetingPlaceWay(const RelayPlan& plan, const GameCode& code,
                                                     QString& failure);
#ifdef MARLOVEN_MEETING_PLACE
inline constexpr bool kBuiltWithMeetingPlace = true;
#else
inline constexpr bool kBuiltWithMeetingPlace = false;
#endif

// The host's addresses: at once for an address, through the system's resolver for a
// name. `done` gets them, or nothing when there is no such host.
class HostLookup : public QObject {
  public:
    using Done = std::function<void(const QList<QHostAddress>&)>;
    void Start(const LinkAddress& remote, Done done);
    bool Finished() const { return finished_; }
    const QList<QHostAddress>& Addresses() const { return addresses_; }

  private:
    void Finish(const QList<QHostAddress>& addresses);

    Done done_;
    QList<QHostAddress> addresses_;
    bool finished_ = false;
};

// Joining: one try at the host at a time, bounded, its seconds shown as they pass.
// Opening binds DOSBox's end and looks the host up, whichever the transport.
class JoinRelay : public Relay {
  public:
    std::optional<std::string> Open() final;

  protected:
    explicit JoinRelay(const RelayPlan& plan);
    // Binds DOSBox's end on 127.0.0.1 and sets dosboxPort_; the system's reason when it
    // cannot.
    virtual std::optional<QString> BindLocalEnd() = 0;
    // The host's addresses are known, one or more.
    virtual void HostFound(const QList<QHostAddress>& addresses) = 0;
    // The host's name names no one: what waits for it is dropped before the link fails.
    virtual void NoSuchHost() {}
    // The try's bound has passed without an answer.
    virtual void NoAnswer() = 0;
    // The host asked for its code and the start has none: asks the player, out of the
    // handler that heard the host, then goes on with `then`; a player's Cancel ends the
    // link.
    void NeedCode(std::function<void()> then);
    // The host did not take the code: one the player typed is asked again at the next try.
    void CodeRefused();
    void StartTry();
    void StopTry();
    bool Trying() const { return trying_; }
    // A game chosen from the meeting place's list has no address: it is joined there
    // alone, each try going to the meeting place at once.
    bool MeetsOnly() const { return plan_.remote.host.empty(); }
    // Ends the try, the link too; a try that ended so fails the link (or, for the modem,
    // this call).
    virtual void EndTry(TryEnd end) = 0;
    // A direct try that ended so goes on through the meeting place the plan names, when
    // the code is known: true when it does, the way then open and its try started. The
    // way's end comes back as EndTry(HungUp) (DOSBox hung up) or EndTry(Closed).
    bool FallsBack(TryEnd end);
    // What to tell of a failed try, the meeting place's part included.
    QString TryFailure(TryEnd end) const;
    // The host answered through the meeting place, or its bytes came that way.
    void ReachedThroughMeetingPlace();

    HostLookup lookup_;

  private:
    // Before a try: where the link goes.
    void ShowWhere();
    void ShowTry();

    QTimer tryTimer_;
    QTimer ticker_;
    QElapsedTimer clock_;
    // Through the meeting place: why the direct try failed, and why this one did.
    QString directMiss_;
    QString meetMiss_;
    bool trying_ = false;
    bool codeTyped_ = false;
};

std::unique_ptr<Relay> MakeTcpHostRelay(const RelayPlan& plan);
std::unique_ptr<Relay> MakeTcpJoinRelay(const RelayPlan& plan);
std::unique_ptr<Relay> MakeUdpHostRelay(const RelayPlan& plan);
std::unique_ptr<Relay> MakeUdpJoinRelay(const RelayPlan& plan);

} // namespace marloven
