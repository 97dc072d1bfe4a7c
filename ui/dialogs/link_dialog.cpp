// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/dialogs/link_dialog.h"

#include "meet/game_offer.h"
#include "meet/lan_games_model.h"
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
    : FixedDialog(TitleOf(LaunchMode::Answer), {kWidth, 336}, parent) {
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
    addressNote_ = AddStoneNote(this, "AddressNote", {}, {kMargin, 208, kInner, 92}, 10);

    // Joining: the hosts on the home network, where the host's part of the window is.
    homeGamesCaption_ = AddCaption(this, QStringLiteral("Games on your home network"),
                                   {kMargin, 116, kInner, 18}, 10);
    homeGames_ = new LanGamesModel(this);
    homeGamesList = new QListView(this);
    homeGamesList->setObjectName("homeGamesList");
    homeGamesList->setGeometry(kMargin, 136, kInner, 66);
    homeGamesList->setFont(SansFont(11));
    homeGamesList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    homeGamesList->setModel(homeGames_);
    PaintLimeOnBlack(homeGamesList);
    homeGamesLabel = new QLabel(QStringLiteral("No game on your home network yet."), this);
    homeGamesLabel->setObjectName("homeGamesLabel");
    homeGamesLabel->setGeometry(kMargin + 4, 138, kInner - 8, 18);
    homeGamesLabel->setFont(SansFont(11));
    PaintTextColor(homeGamesLabel, kLime);

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

    const OkCancel buttons = AddOkCancel(64, 161, 303, portSpin);
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
    }
}

void LinkDialog::hideEvent(QHideEvent* event) {
    homeGames_->Stop();
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
    for (QWidget* widget : {static_cast<QWidget*>(tellCaption_), static_cast<QWidget*>(tell_),
                            static_cast<QWidget*>(copyButton), static_cast<QWidget*>(hint_)}) {
        widget->setVisible(!joining);
    }
    // The tunnel lets no one in unproven, so only the modem and the cable ask.
    const bool asksPlain = !joining && link_.mode != LaunchMode::Network;
    plainPeersCheck->setVisible(asksPlain);
    plainPeersNote_->setVisible(asksPlain);
    tellCaption_->setText(link_.mode == LaunchMode::Answer ? "Tell the caller to dial:"
                                                           : "Tell the others to join:");
    tell_->setPlainText(TextToTell());
    hint_->setText(HintOf(link_.mode, portSpin->value(), routerAsked_));
    okButton->setEnabled(TypedPort() && (!joining || !addressEdit->text().isEmpty()));
}

} // namespace marloven
