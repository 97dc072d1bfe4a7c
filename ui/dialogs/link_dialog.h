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
class MeetGamesModel;
class OutlinedLabel;

// Asks how a start through DOSBox meets the other players. Answering shows the port to
// listen on and the addresses to tell the caller, ready to copy; the null-modem cable
// and the network also ask whether this machine hosts (and what to tell the others)
// or joins a host (at which address and port). Joining, it lists the games of the same
// kind that hosts on the home network announce while it is open; choosing one fills in
// its address and port. With a meeting place named, it lists that place's games too,
// which are joined there by their code; a host chooses whether its game is listed with
// the code, for everyone.
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
    // Joining a game chosen from the meeting place's list: whose game it is, for the
    // question that asks its code.
    QString ListedHostName() const;

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
    // Joining: the games the meeting place lists, and the line shown while there is none.
    QListView* meetGamesList = nullptr;
    QLabel* meetGamesLabel = nullptr;
    // Hosting the cable or the network with a meeting place named: listed with the code.
    QCheckBox* listForEveryoneCheck = nullptr;

  protected:
    void accept() override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    void Update();
    void ChooseHomeGame(int row);
    void ChooseMeetGame(int row);
    QString MeetGamesState() const;
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
    OutlinedLabel* meetGamesCaption_ = nullptr;
    MeetGamesModel* meetGames_ = nullptr;
    QLabel* listNote_ = nullptr;
    // The game chosen from the meeting place's list while the address box stays empty:
    // its host's name, and its code when it is listed for everyone.
    struct ListedGame {
        QString hostName;
        std::optional<GameCode> code;
    };
    std::optional<ListedGame> listed_;
};

} // namespace marloven
