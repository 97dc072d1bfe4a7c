// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "comm/internet_link.h"
#include "comm/invitation.h"
#include "portmap/port_mapping.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>
#include <optional>

namespace marloven {

class LauncherSettings;
class Relay;

// Which invitation a link is; nothing for a link that does not host (a dial, a join),
// which needs no port on the router.
std::optional<InvitationStart> HostedStart(const InternetLink& link);

// The relay's hosting port opened on the home router for one start. The router is
// asked on a thread of its own and never waited on here; what it forwards is noted in
// the settings while it lasts, so that the next start removes what a crash left behind.
// Removed when this object goes, at the start's end.
class RouterPort : public QObject {
    Q_OBJECT
  public:
    RouterPort(LauncherSettings& settings, InvitationStart start, PortRequest request,
               MappingOptions options = {});
    ~RouterPort() override;
    RouterPort(const RouterPort&) = delete;
    RouterPort& operator=(const RouterPort&) = delete;

    // The router's answer once there is one (NoRouter once the bound has passed),
    // without waiting.
    std::optional<RouterAnswer> Answer();
    // What to tell, or what to do instead, for the player; empty until the answer.
    QString Words();
    // The link to send a friend, when the router gave an address on the internet.
    std::optional<Invitation> RouterInvitation();

  signals:
    // The router answered, or the bound passed, or it stopped (or started again)
    // answering the renewals: Words() says what it means now.
    void Answered();

  private:
    void Note();
    void Poll();

    LauncherSettings& settings_;
    InvitationStart start_;
    std::unique_ptr<PortMapping> mapping_;
    std::optional<RouterAnswer> answer_;
    QString noted_;
    bool silent_ = false;
    // Whether Answered was sent: the window may read the answer before, at its making.
    bool announced_ = false;
    QTimer poll_;
};

// The router asked for a hosting start's port, when the player lets the launcher ask
// ("Router/Ask", on unless turned off); nothing for any other start.
std::unique_ptr<RouterPort> AskRouterFor(LauncherSettings& settings, const InternetLink& link,
                                         const Relay& relay, MappingOptions options = {});

// At the start: a mapping that a crashed launcher left on the router is removed
// (waiting at most the bound) and forgotten once it is gone.
void RemoveLeftoverMapping(LauncherSettings& settings, const MappingOptions& options = {});

} // namespace marloven
