// SPDX-License-Identifier: GPL-3.0-or-later
// The four comm-driver starts of the main window: each writes COMMIT.DAT and starts the
// driver, and where DOSBox runs it, first asks how to meet the other players.
#include "ui/main/main_window.h"

#include "comm/commit_file.h"
#include "core/cfg_store.h"
#include "core/mouse_tweak.h"
#include "core/settings.h"
#include "launcher/link_settings.h"
#include "launcher/start_plan.h"
#include "link/relay.h"
#include "platform/program_runner.h"
#include "qt_text/text_conversions.h"
#include "ui/app_context.h"
#include "ui/dialogs/link_dialog.h"
#include "ui/dialogs/phonebook_entry_dialog.h"
#include "ui/dialogs/pick_opponent_dialog.h"
#include "ui/dialogs/players_dialog.h"
#include "ui/main/game_options_page.h"
#include "ui/main/modem_page.h"
#include "ui/prompter.h"
#include "ui/starts/internet_play.h"
#include "ui/startup.h"

#include <QCheckBox>
#include <QComboBox>
#include <QScopeGuard>

namespace marloven {

void MainWindow::StartCommDriver(LaunchMode mode, const std::string& value,
                                 std::optional<InternetLink> link) {
    CommitSettings settings;
    settings.mode = mode;
    settings.value = value;
    modemPage->FillCommitSettings(settings);
    settings.socket = forms_.players->SocketText();
    // The link is opened first: a hosting port in use stops the start before anything
    // is written, and a dial's driver is given the port of the launcher's end, which
    // then calls the number itself.
    std::shared_ptr<Relay> relay;
    if (link) {
        // A hosted game is offered on the home network under the player's name.
        link->hostName = context_.store.CfgGet(cfg_key::kPlayerName);
        OpenedRelay opened = OpenRelay(*link);
        if (opened.refusal) {
            context_.prompter.Inform(MessageText(*opened.refusal));
            return;
        }
        relay = std::move(opened.relay);
        if (mode == LaunchMode::Dial) {
            settings.launcherDialPort = relay->DosboxPort();
        }
    }
    ReportFileErrors(context_.prompter, [&] {
        ComposeCommitFile(context_.startDir, settings);
        Launch(mode, kCommDriverProgram, link, relay);
    });
}

bool MainWindow::CommDriverRunsInDosbox() const {
    const std::string program =
        gameOptionsPage->tweakMouseCheck->isChecked() ? kMouseTweakProgram : kCommDriverProgram;
    return context_.runner.Plan(MakeGameStart(context_.startDir, program, "")).throughDosbox;
}

bool MainWindow::ChooseLink(LaunchMode mode, std::optional<InternetLink>& link) {
    if (!CommDriverRunsInDosbox()) {
        return true; // the driver reaches the others as the system lets it
    }
    link = AskInternetLink(context_.prompter, context_.settings, *forms_.link, mode,
                           modemPage->comPortCombo->currentIndex());
    return link.has_value();
}

void MainWindow::DialOpponent() {
    std::optional<InternetLink> link;
    if (!ChooseLink(LaunchMode::Dial, link)) {
        return;
    }
    forms_.phonebookEntry->AcceptInternetAddresses(link.has_value());
    PickOpponentDialog& phonebook = *forms_.pickOpponent;
    if (!phonebook.LoadPhonebook()) {
        return;
    }
    phonebook.exec();
    const std::string number = phonebook.ChosenNumber();
    if (number.empty()) {
        return;
    }
    if (link) {
        // The launcher calls the number itself: it is read as an address here, once.
        const auto called = ParseLinkAddress(number, kDosboxModemDialPort);
        if (!called) {
            context_.prompter.Inform(FromBytes(LinkAddressRefusal(number)));
            return;
        }
        link->address = *called;
        if (invitedCall_ && invitedCall_->address == *called) {
            link->code = invitedCall_->code;
            if (invitedCall_->meetingPlace) {
                link->meetingPlace = invitedCall_->meetingPlace;
            }
        }
        SaveLinkChoice(context_.settings, *link);
    }
    hide();
    // Back in view after the driver ends, and after a failure once it is reported.
    const auto showAgain = qScopeGuard([this] { show(); });
    StartCommDriver(LaunchMode::Dial, number, link);
}

void MainWindow::OpenInvitation(const Invitation& invitation) {
    // Without DOSBox the driver reaches the others as the system lets it, with no
    // address to fill in.
    if (!CommDriverRunsInDosbox()) {
        context_.prompter.Inform(kInvitationNeedsDosbox);
        return;
    }
    if (invitation.start == InvitationStart::ModemCall) {
        forms_.pickOpponent->OfferInvitation(FromBytes(InvitationAddressAndPort(invitation)));
        invitedCall_ = invitation;
        const auto forget = qScopeGuard([this] { invitedCall_.reset(); });
        DialOpponent();
        return;
    }
    // The host-or-join dialog opens with the invitation's link, saved only once the
    // player goes with it.
    const LaunchMode mode = invitation.start == InvitationStart::Cable
                                ? LaunchMode::AlreadyConnected
                                : LaunchMode::Network;
    InternetLink offer{mode, modemPage->comPortCombo->currentIndex(), LinkSide::Join,
                       invitation.address, invitation.code};
    // The host's meeting place over the player's own: that is where the host waits.
    offer.meetingPlace =
        invitation.meetingPlace ? invitation.meetingPlace : MeetingPlaceOf(context_.settings);
    forms_.link->Offer(offer);
    if (mode == LaunchMode::Network) {
        StartNetworkGame();
    } else {
        StartAlreadyConnected();
    }
    forms_.link->Offer(std::nullopt); // the players' count may have been cancelled first
}

void MainWindow::AnswerCall() {
    std::optional<InternetLink> link;
    if (ChooseLink(LaunchMode::Answer, link)) {
        StartCommDriver(LaunchMode::Answer, "", link);
    }
}

void MainWindow::StartAlreadyConnected() {
    std::optional<InternetLink> link;
    if (ChooseLink(LaunchMode::AlreadyConnected, link)) {
        StartCommDriver(LaunchMode::AlreadyConnected, "", link);
    }
}

void MainWindow::StartNetworkGame() {
    PlayersDialog& players = *forms_.players;
    players.SetSocketText(context_.store.CfgGet(cfg_key::kSocketNumber));
    if (players.exec() != QDialog::Accepted) {
        return;
    }
    std::optional<InternetLink> link;
    if (!ChooseLink(LaunchMode::Network, link)) {
        return;
    }
    context_.store.CfgSet(cfg_key::kSocketNumber, players.SocketText(), false);
    if (link) {
        link->playersWanted = players.PlayerCount();
    }
    StartCommDriver(LaunchMode::Network, std::to_string(players.PlayerCount()), link);
}

} // namespace marloven
