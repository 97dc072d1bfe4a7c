// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "comm/internet_link.h"
#include "comm/invitation.h"
#include "portmap/port_mapping.h"

#include <QString>
#include <memory>
#include <optional>

namespace marloven {

class LauncherSettings;

// Which invitation a link is, and how its port travels; nothing for a link that does
// not host (a dial, a join), which needs no port on the router.
std::optional<InvitationStart> HostedStart(const InternetLink& link);
portmap::Protocol HostedProtocol(const InternetLink& link);

// The hosting port opened on the home router for one start, when the player lets the
// launcher ask ("Router/Ask", on unless turned off). What the router forwards is noted
// in the settings until it is removed, so that the next start removes what a crash
// left behind.
class RouterPort {
  public:
    explicit RouterPort(LauncherSettings& settings, portmap::Options options = {});
    ~RouterPort();
    RouterPort(const RouterPort&) = delete;
    RouterPort& operator=(const RouterPort&) = delete;

    // Starts asking for a hosting link's port, without waiting; nothing otherwise.
    void Open(const InternetLink& link);
    // The router's answer, waiting at most the bound; nothing when it was not asked.
    std::optional<portmap::Result> Answer();
    // What to tell, or what to do instead, for the player; empty when not asked.
    QString Words();
    // The link to send a friend, when the router gave an address on the internet.
    std::optional<Invitation> RouterInvitation();
    // Removes the port from the router (waiting at most the bound) and forgets it.
    void Close();

  private:
    LauncherSettings& settings_;
    portmap::Options options_;
    InternetLink link_;
    std::unique_ptr<portmap::Mapping> mapping_;
    std::optional<portmap::Result> answer_;
};

// At the start: a mapping that a crashed launcher left on the router is removed
// (waiting at most the bound) and forgotten once it is gone.
void RemoveLeftoverMapping(LauncherSettings& settings, const portmap::Options& options = {});

} // namespace marloven
