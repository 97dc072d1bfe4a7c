// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "comm/invitation.h"
#include "launcher/dos_engine.h"
#include "launcher/game_offering.h"
#include "portmap/port_mapping.h"
#include "ui/look/dialog_look.h"

#include <functional>
#include <memory>
#include <optional>
#include <utility>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace marloven {

class LauncherSettings;
class Prompter;
class Relay;
class RouterPort;

// "Marloven - Link": while DOSBox runs and the main window is hidden, what the link is
// doing until it is up, what to tell the other players when hosting (with Copy and Copy
// invitation) with the game's code and the strangers turned away, what the home router
// answered when it was asked, which way the game goes once a player is linked, and Cancel
// (Escape too), which ends the start. Once the link is up it stays, showing the path and
// the round trip while the game runs (and, for a host, what to tell players still to
// come); Cancel is then Close, which only hides it.
class LinkWindow : public FixedDialog {
    Q_OBJECT
  public:
    // `invites`: what a hosting start's invitation names. `router`: its port on the
    // router, when it was asked; the window keeps it for the start.
    LinkWindow(Relay& relay, std::function<void()> cancel,
               std::optional<InvitationStart> invites = std::nullopt,
               std::unique_ptr<RouterPort> router = nullptr);
    ~LinkWindow() override;

    QLabel* progressLabel = nullptr;
    // Once a player is linked: "Path: direct", or "Path: through the meeting place at
    // meet.example.org, round trip 12 ms".
    QLabel* pathLabel = nullptr;
    QLabel* gameCodeLabel = nullptr; // hosting: "Game code: K7PW-2QXM"
    QLabel* strangersLabel = nullptr;
    QLabel* routerLabel = nullptr;
    QPlainTextEdit* tellText = nullptr;
    QPushButton* copyButton = nullptr;
    QPushButton* inviteButton = nullptr;
    QPushButton* cancelButton = nullptr;
    bool Linked() const { return linked_; }

    // The window of each start's link, as the DOS engine asks for it, with a hosting
    // start's port asked of the router as the settings let it, and the game offered on
    // the home network while the start lasts. A join that has no code asks the player for
    // the host's through the prompter, when the host asks for it.
    static DosEngineRunner::LinkWatcher Watcher(LauncherSettings& settings, Prompter& prompter,
                                                MappingOptions routerOptions = {},
                                                HomeNetworkOptions homeOptions = {});

  protected:
    void reject() override;

  private:
    void ShowRouterAnswer();
    void FitRouterAnswer();
    std::pair<QString, QString> Told() const;
    void ShowTold();
    std::optional<Invitation> ToSend() const;

    std::function<void()> cancel_;
    bool linked_ = false;
    std::unique_ptr<RouterPort> router_;
    std::optional<InvitationStart> invites_;
    QStringList told_;
    int publicPort_ = 0;
    std::optional<GameCode> code_;
    bool plainPeersJoin_ = false;
    std::optional<LinkAddress> meetingPlace_;
};

} // namespace marloven
