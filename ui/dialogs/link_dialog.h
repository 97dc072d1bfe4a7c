// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "comm/internet_link.h"
#include "meet/lan_games.h"
#include "ui/look/dialog_look.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListView;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace marloven {

class LanGamesModel;
class OutlinedLabel;

// Asks how a start through DOSBox meets the other players. Answering shows the port to
// listen on and the addresses to tell the caller, ready to copy; the null-modem cable
// and the network also ask whether this machine hosts (and what to tell the others)
// or joins a host (at which address and port). Joining, it lists the games of the same
// kind that hosts on the home network announce while it is open; choosing one fills in
// its address and port.
//
// The caller fills it with Prepare, shows it with exec() and, when accepted, reads
// Choice(). Rejected means nothing is started.
class LinkDialog : public FixedDialog {
    Q_OBJECT
  public:
    explicit LinkDialog(QWidget* parent = nullptr);

    // `routerAsked`: the launcher will ask the home router to forward the port.
    void Prepare(const InternetLink& link, const std::vector<std::string>& localAddresses,
                 bool routerAsked = false);
    // The link as chosen, the host's address read once: a port typed after it
    // ("host:port") counts. Nothing when the host to join is no address; ChoiceRefusal
    // then says why.
    std::optional<InternetLink> Choice() const;
    std::string ChoiceRefusal() const;
    // The lines to tell the others: this machine's addresses with the port.
    QString TextToTell() const;
    // An invitation's link, to fill the next opening for its mode instead of the link
    // last chosen: nothing is saved until the player goes with it. Taken once.
    void Offer(std::optional<InternetLink> link) { offered_ = std::move(link); }
    std::optional<InternetLink> TakeOffer(LaunchMode mode);
    // The port the home network's games are heard on from the next opening (the tests'
    // own, so that they hear only their own hosts).
    void HearHomeGamesOn(quint16 port) { homePort_ = port; }

    QRadioButton* hostButton = nullptr;
    QRadioButton* joinButton = nullptr;
    QLineEdit* addressEdit = nullptr;
    QSpinBox* portSpin = nullptr;
    // Hosting the modem or the cable: whether plain DOSBox may join without the game code.
    QCheckBox* plainPeersCheck = nullptr;
    QPushButton* copyButton = nullptr;
    QPushButton* okButton = nullptr;
    QPushButton* cancelButton = nullptr;
    // Joining: the games heard on the home network, and the line shown while there is none.
    QListView* homeGamesList = nullptr;
    QLabel* homeGamesLabel = nullptr;

  protected:
    void accept() override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    void Update();
    void ChooseHomeGame(int row);
    // The port as typed, when it is one this side may use.
    std::optional<int> TypedPort() const;

    InternetLink link_;
    std::optional<InternetLink> offered_;
    bool routerAsked_ = false;
    std::vector<std::string> localAddresses_;
    QLabel* tellCaption_ = nullptr;
    QPlainTextEdit* tell_ = nullptr;
    QLabel* hint_ = nullptr;
    QLabel* portNote_ = nullptr;
    QLabel* addressNote_ = nullptr;
    QLabel* plainPeersNote_ = nullptr;
    OutlinedLabel* homeGamesCaption_ = nullptr;
    LanGamesModel* homeGames_ = nullptr;
    quint16 homePort_ = kLanGamesPort;
};

} // namespace marloven
