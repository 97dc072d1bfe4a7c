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

    HostLookup lookup_;

  private:
    // Before a try: where the link goes.
    void ShowWhere();
    void ShowTry();

    QTimer tryTimer_;
    QTimer ticker_;
    QElapsedTimer clock_;
    bool trying_ = false;
    bool codeTyped_ = false;
};

std::unique_ptr<Relay> MakeTcpHostRelay(const RelayPlan& plan);
std::unique_ptr<Relay> MakeTcpJoinRelay(const RelayPlan& plan);
std::unique_ptr<Relay> MakeUdpHostRelay(const RelayPlan& plan);
std::unique_ptr<Relay> MakeUdpJoinRelay(const RelayPlan& plan);

} // namespace marloven
