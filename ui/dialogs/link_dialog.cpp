// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/dialogs/link_dialog.h"

#include "meet/game_offer.h"
#include "meet/lan_games_model.h"
#ifdef MARLOVEN_MEETING_PLACE
#include "meet/meet_games_model.h"
#endif
#include "qt_text/text_conversions.h"
#include "ui/look/char_filter.h"
#include "widgets/outlined_label.h"

#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

namespace marloven {

namespace {

constexpr int kWidth = 300;
constexpr int kMargin = 8;
constexpr int kInner = kWidth - 2 * kMargin;
constexpr int kShortHeight = 336;
constexpr int kTallHeight = 430;
constexpr int kButtonsFromBottom = 33;

// What a host's address box lets the player type: a name, an IPv4 address or an IPv6
// one in brackets, and the port after a colon as the host's own list shows it.
const QString kAddressChars =
    QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.-:[]");

QRadioButton* AddChoice(QWidget* parent, const char* name, const QString& text, int top) {
    auto* button = new QRadioButton(text, parent);
    button->setObjectName(name);
    button->setGeometry(kMargin, top, kInner, 20);
    button->setFont(SansFont(12, true));
    QPalette palette = button->palette();
    palette.setColor(QPalette::WindowText, Qt::white);
    button->setPalette(palette);
    return button;
}

// A list of games to join, lime on black, and the line shown in it while it is empty.
std::pair<QListView*, QLabel*> AddGamesList(QWidget* parent, const char* name,
                                            QAbstractItemModel* model, int top) {
    auto* list = new QListView(parent);
    list->setObjectName(QStringLiteral("%1List").arg(name));
    list->setGeometry(kMargin, top, kInner, 66);
    list->setFont(SansFont(11));
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setModel(model);
    PaintLimeOnBlack(list);
    auto* label = new QLabel(parent);
    label->setObjectName(QStringLiteral("%1Label").arg(name));
    label->setGeometry(kMargin + 4, top + 2, kInner - 8, 36);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setFont(SansFont(11));
    PaintTextColor(label, kLime);
    return {list, label};
}

QString TitleOf(LaunchMode mode) {
    switch (mode) {
    case LaunchMode::AlreadyConnected:
        return QStringLiteral("Null-Modem Link");
    case LaunchMode::Network:
        return QStringLiteral("IPX Network");
    case LaunchMode::SinglePlayer:
    case LaunchMode::Dial:
    case LaunchMode::Answer:
        break;
    }
    return QStringLiteral("Answer a Call");
}

// The IPX tunnel runs over UDP, the modem and the cable over TCP. Where the launcher
// asks the router itself, the player has nothing to do unless the router says no.
QString HintOf(LaunchMode mode, int port, bool routerAsked) {
    const QString text =
        routerAsked ? QStringLiteral("From beyond your router: Marloven asks it to forward %1 port "
                                     "%2 to this machine, and then says what to tell.")
                    : QStringLiteral("From beyond your router: tell its public address, and have "
                                     "it forward %1 port %2 to this machine.");
    return text.arg(mode == LaunchMode::Network ? "UDP" : "TCP").arg(port);
}

} // namespace

LinkDialog::LinkDialog(QWidget* parent)
    : FixedDialog(TitleOf(LaunchMode::Answer), {kWidth, kTallHeight}, parent) {
    hostButton = AddChoice(this, "HostButton", "Host: the others join this machine", 8);
    joinButton = AddChoice(this, "JoinButton", "Join the host at:", 32);
    addressEdit = new QLineEdit(this);
    addressEdit->setObjectName("Address");
    addressEdit->setGeometry(28, 56, kInner - 20, 21);
    PaintLimeOnBlack(addressEdit);
    CharFilter::Install(addressEdit, kAddressChars);

    AddCaption(this, "Port", {kMargin, 90, 60, 18}, 10);
    portSpin = new QSpinBox(this);
    portSpin->setObjectName("Port");
    portSpin->setGeometry(72, 86, 90, 22);
    // Any five digits may be typed: a port out of range is refused beside the box, not
    // silently put back to the last one.
    portSpin->setRange(0, 99999);
    PaintLimeOnBlack(portSpin);
    // Refusals in place, empty until there is one.
    portNote_ = AddStoneNote(this, "PortNote", {}, {170, 84, kWidth - 170 - kMargin, 28}, 10);
    addressNote_ = AddStoneNote(this, "AddressNote", {}, {kMargin, 300, kInner, 92}, 10);

    // Joining: the hosts on the home network and at the meeting place, where the host's
    // part of the window is.
    homeGamesCaption_ = AddCaption(this, QStringLiteral("Games on your home network"),
                                   {kMargin, 116, kInner, 18}, 10);
    homeGames_ = new LanGamesModel(this);
    std::tie(homeGamesList, homeGamesLabel) = AddGamesList(this, "homeGames", homeGames_, 136);
    homeGamesLabel->setText(QStringLiteral("No game on your home network yet."));
    meetGamesCaption_ = AddCaption(this, QStringLiteral("Games at the meeting place"),
                                   {kMargin, 208, kInner, 18}, 10);
    QAbstractItemModel* meetModel = nullptr;
#ifdef MARLOVEN_MEETING_PLACE
    meetGames_ = new MeetGamesModel(this);
    meetModel = meetGames_;
    connect(meetGames_, &MeetGamesModel::StateChanged, this, &LinkDialog::Update);
    connect(meetGames_, &MeetGamesModel::modelReset, this, &LinkDialog::Update);
#endif
    std::tie(meetGamesList, meetGamesLabel) = AddGamesList(this, "meetGames", meetModel, 228);

    tellCaption_ = new QLabel(this);
    tellCaption_->setGeometry(kMargin, 118, kInner, 18);
    tellCaption_->setFont(SansFont(12, true));
    PaintTextColor(tellCaption_, Qt::white);
    tell_ = new QPlainTextEdit(this);
    tell_->setObjectName("Tell");
    tell_->setGeometry(kMargin, 138, kInner - 83, 70);
    tell_->setReadOnly(true);
    PaintLimeOnBlack(tell_);
    copyButton = AddButton(this, "CopyButton", "&Copy", kWidth - kMargin - 75, 138);
    hint_ = new QLabel(this);
    hint_->setGeometry(kMargin, 212, kInner, 40);
    hint_->setWordWrap(true);
    hint_->setFont(SansFont(11));
    PaintTextColor(hint_, Qt::white);

    // Off at first: a player without Marloven cannot prove the game code, and neither can
    // whoever else finds the port.
    plainPeersCheck = new QCheckBox(QStringLiteral("Let players without Marloven join"), this);
    plainPeersCheck->setObjectName("PlainPeers");
    plainPeersCheck->setGeometry(kMargin, 254, kInner, 20);
    plainPeersCheck->setStyleSheet("QCheckBox { color: white; }");
    plainPeersNote_ =
        AddStoneNote(this, "PlainPeersNote",
                     QStringLiteral("They join without the game code, and so can anyone who "
                                    "finds the port: a stranger may take the game."),
                     {kMargin + 20, 274, kInner - 20, 28}, 10);
    // Off at first: a listed game is for the invited, who have its code.
    listForEveryoneCheck = new QCheckBox(QStringLiteral("List this game for everyone"), this);
    listForEveryoneCheck->setObjectName("listForEveryoneCheck");
    listForEveryoneCheck->setGeometry(kMargin, 306, kInner, 20);
    listForEveryoneCheck->setStyleSheet("QCheckBox { color: white; }");
    listNote_ = AddStoneNote(this, "ListNote", {}, {kMargin + 20, 326, kInner - 20, 56}, 10);

    const OkCancel buttons = AddOkCancel(64, 161, kTallHeight - kButtonsFromBottom, portSpin);
    okButton = buttons.ok;
    cancelButton = buttons.cancel;

    connect(hostButton, &QRadioButton::toggled, this, &LinkDialog::Update);
    connect(addressEdit, &QLineEdit::textChanged, this, &LinkDialog::Update);
    connect(portSpin, &QSpinBox::textChanged, this, &LinkDialog::Update);
    connect(addressEdit, &QLineEdit::textChanged, addressNote_, &QLabel::clear);
    connect(copyButton, &QPushButton::clicked, this,
            [this] { QGuiApplication::clipboard()->setText(TextToTell()); });
    connect(homeGames_, &LanGamesModel::modelReset, this, &LinkDialog::Update);
    connect(homeGamesList->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { ChooseHomeGame(current.row()); });
    if (meetGames_ != nullptr) {
        connect(meetGamesList->selectionModel(), &QItemSelectionModel::currentChanged, this,
                [this](const QModelIndex& current) { ChooseMeetGame(current.row()); });
    }
    // An address typed over a game chosen from the list joins that address instead.
    connect(addressEdit, &QLineEdit::textEdited, this, [this] { listed_.reset(); });
    connect(listForEveryoneCheck, &QCheckBox::toggled, this, &LinkDialog::Update);
}

void LinkDialog::Prepare(const InternetLink& link, const std::vector<std::string>& localAddresses,
                         bool routerAsked) {
    link_ = link;
    localAddresses_ = localAddresses;
    routerAsked_ = routerAsked;
    setWindowTitle(TitleOf(link.mode));
    const bool choose = link.mode != LaunchMode::Answer;
    hostButton->setVisible(choose);
    joinButton->setVisible(choose);
    addressEdit->setVisible(choose);
    (link.side == LinkSide::Join && choose ? joinButton : hostButton)->setChecked(true);
    SetBoxText(addressEdit, MessageText(ShowLinkHost(link.address)));
    portSpin->setValue(link.address.port);
    plainPeersCheck->setChecked(link.plainPeersJoin);
    listForEveryoneCheck->setChecked(link.listedForEveryone);
    listed_.reset();
    addressNote_->clear();
    Update();
}

std::optional<int> LinkDialog::TypedPort() const {
    const int lowest = joinButton->isChecked() ? 1 : kLowestHostingPort;
    bool number = false;
    const int port = portSpin->cleanText().toInt(&number);
    return number && port >= lowest && port <= kHighestPort ? std::optional(port) : std::nullopt;
}

std::optional<InternetLink> LinkDialog::Choice() const {
    InternetLink link = link_;
    link.side = joinButton->isChecked() ? LinkSide::Join : LinkSide::Host;
    const auto port = TypedPort();
    if (!port) {
        return std::nullopt;
    }
    link.address.port = *port;
    link.plainPeersJoin = link.side == LinkSide::Host && plainPeersCheck->isChecked() &&
                          link.mode != LaunchMode::Network;
    link.listedForEveryone = listForEveryoneCheck->isChecked();
    if (link.side == LinkSide::Join && listed_ && addressEdit->text().isEmpty()) {
        link.address = LinkAddress{{}, *port, false};
        link.code = listed_->code;
        return link;
    }
    if (link.side == LinkSide::Join) {
        const auto host = ParseLinkAddress(NarrowText(addressEdit->text()), *port);
        if (!host) {
            return std::nullopt;
        }
        // An invitation's code is that host's: another host typed over it has its own.
        if (host->host != link_.address.host) {
            link.code.reset();
        }
        link.address = *host;
    }
    return link;
}

std::string LinkDialog::ChoiceRefusal() const {
    if (!TypedPort()) {
        return NarrowText(portNote_->text());
    }
    return LinkAddressRefusal(NarrowText(addressEdit->text()));
}

// What the player typed stays for mending: the dialog closes only on a link it can start.
void LinkDialog::accept() {
    if (!Choice()) {
        addressNote_->setText(MessageText(ChoiceRefusal()));
        return;
    }
    FixedDialog::accept();
}

// The list hears the home network only while the dialog is open, and only where there is
// a host to join.
void LinkDialog::showEvent(QShowEvent* event) {
    FixedDialog::showEvent(event);
    if (link_.mode != LaunchMode::Answer) {
        homeGames_->Listen(OfferedStart(link_.mode), homePort_);
#ifdef MARLOVEN_MEETING_PLACE
        if (link_.meetingPlace) {
            meetGames_->Listen(*link_.meetingPlace, OfferedStart(link_.mode));
        }
#endif
    }
}

void LinkDialog::hideEvent(QHideEvent* event) {
    homeGames_->Stop();
#ifdef MARLOVEN_MEETING_PLACE
    meetGames_->Stop();
#endif
    FixedDialog::hideEvent(event);
}

void LinkDialog::ChooseHomeGame(int row) {
    const auto address = homeGames_->AddressAt(row);
    if (!address) {
        return;
    }
    joinButton->setChecked(true);
    SetBoxText(addressEdit, MessageText(ShowLinkHost(*address)));
    portSpin->setValue(address->port);
}

void LinkDialog::ChooseMeetGame(int row) {
#ifdef MARLOVEN_MEETING_PLACE
    const auto listing = meetGames_->ListingAt(row);
    if (!listing) {
        return;
    }
    joinButton->setChecked(true);
    addressEdit->clear();
    listed_ = ListedGame{listing->hostName,
                         listing->open ? ParseGameCode(listing->code.toStdString()) : std::nullopt};
    addressNote_->setText(
        QStringLiteral("Joining %1's game through the meeting place.%2")
            .arg(listing->hostName,
                 listed_->code ? QString() : QStringLiteral(" The host's code is asked.")));
    Update();
#else
    (void)row;
#endif
}

QString LinkDialog::MeetGamesState() const {
    if (meetGames_ == nullptr) {
        return QStringLiteral("This build of Marloven has no meeting place.");
    }
    if (!link_.meetingPlace) {
        return QStringLiteral("Name a meeting place in Options > Meeting Place to find games "
                              "beyond your home network.");
    }
#ifdef MARLOVEN_MEETING_PLACE
    return meetGames_->State();
#else
    return {};
#endif
}

QString LinkDialog::ListedHostName() const {
    return QStringLiteral("the meeting place (%1's game)")
        .arg(listed_ ? listed_->hostName : QStringLiteral("a player"));
}

std::optional<InternetLink> LinkDialog::TakeOffer(LaunchMode mode) {
    auto offered = std::exchange(offered_, std::nullopt);
    return offered && offered->mode == mode ? offered : std::nullopt;
}

QString LinkDialog::TextToTell() const {
    QStringList lines;
    for (const std::string& line : AddressesToTell(localAddresses_, portSpin->value())) {
        lines << MessageText(line);
    }
    return lines.join('\n');
}

void LinkDialog::Update() {
    const bool joining = joinButton->isChecked();
    // A host takes the ports it may bind; a joining player the host's, whichever it is.
    portNote_->setText(TypedPort() ? QString()
                                   : QStringLiteral("Ports: %1 to %2")
                                         .arg(joining ? 1 : kLowestHostingPort)
                                         .arg(kHighestPort));
    addressEdit->setEnabled(joining);
    addressNote_->setVisible(joining);
    homeGamesCaption_->setVisible(joining);
    homeGamesList->setVisible(joining);
    homeGamesLabel->setVisible(joining && homeGames_->rowCount() == 0);
    meetGamesCaption_->setVisible(joining);
    meetGamesList->setVisible(joining);
    meetGamesLabel->setVisible(joining && (meetGames_ == nullptr || meetGames_->rowCount() == 0));
    meetGamesLabel->setText(MeetGamesState());
    for (QWidget* widget : {static_cast<QWidget*>(tellCaption_), static_cast<QWidget*>(tell_),
                            static_cast<QWidget*>(copyButton), static_cast<QWidget*>(hint_)}) {
        widget->setVisible(!joining);
    }
    // The tunnel lets no one in unproven, so only the modem and the cable ask.
    const bool asksPlain = !joining && link_.mode != LaunchMode::Network;
    plainPeersCheck->setVisible(asksPlain);
    plainPeersNote_->setVisible(asksPlain);
    const bool lists =
        !joining && link_.mode != LaunchMode::Answer && link_.meetingPlace && meetGames_ != nullptr;
    listForEveryoneCheck->setVisible(lists);
    listNote_->setVisible(lists);
    listNote_->setText(listForEveryoneCheck->isChecked()
                           ? QStringLiteral("The meeting place's list shows the game's code: "
                                            "anyone there may join.")
                           : QStringLiteral("The game is listed for the invited: only players "
                                            "you told its code can join."));
    tellCaption_->setText(link_.mode == LaunchMode::Answer ? "Tell the caller to dial:"
                                                           : "Tell the others to join:");
    tell_->setPlainText(TextToTell());
    hint_->setText(HintOf(link_.mode, portSpin->value(), routerAsked_));
    // The window is as tall as what it shows: the lists when joining, the listing's choice
    // when hosting at a meeting place.
    const bool tall = joining || lists;
    setFixedHeight(tall ? kTallHeight : kShortHeight);
    for (QPushButton* button : {okButton, cancelButton}) {
        button->move(button->x(), height() - kButtonsFromBottom);
    }
    okButton->setEnabled(TypedPort() &&
                         (!joining || !addressEdit->text().isEmpty() || listed_.has_value()));
}

} // namespace marloven
