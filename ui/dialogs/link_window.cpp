// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/dialogs/link_window.h"

#include "comm/link_address.h"
#include "launcher/router_port.h"
#include "link/relay.h"
#include "qt_text/text_conversions.h"
#include "ui/look/look.h"
#include "ui/prompter.h"
#include "ui/starts/internet_play.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

namespace marloven {

namespace {

constexpr int kWidth = 360;
constexpr int kMargin = 8;
constexpr int kButtonWidth = 95;
// One line while the router is asked; the window grows to the lines of its answer.
constexpr int kRouterHeight = 20;
// Hosting: the game's code, and the strangers turned away beside it.
constexpr int kCodeHeight = 20;
constexpr int kPathHeight = 20;

QString PathText(const Relay& relay) {
    if (relay.Path().isEmpty()) {
        return {};
    }
    const QString path = QStringLiteral("Path: ") + relay.Path();
    return relay.RoundTripMs() < 0
               ? path
               : QStringLiteral("%1, round trip %2 ms").arg(path).arg(relay.RoundTripMs());
}

} // namespace

LinkWindow::LinkWindow(Relay& relay, std::function<void()> cancel,
                       std::optional<InvitationStart> invites, std::unique_ptr<RouterPort> router)
    : FixedDialog(QStringLiteral("Marloven - Link"),
                  {kWidth, 176 + kPathHeight + 4 + (router ? kRouterHeight + 4 : 0) +
                               (relay.Hosting() ? kCodeHeight + 4 : 0)},
                  nullptr),
      cancel_(std::move(cancel)), router_(std::move(router)), invites_(invites),
      publicPort_(relay.PublicPort()), code_(relay.Hosting() ? relay.Code() : std::nullopt),
      plainPeersJoin_(relay.PlainPeersJoin()), meetingPlace_(relay.MeetingPlace()) {
    // The main window is hidden while DOSBox runs: this window closing, at link up or
    // Cancel, must not end the launcher as its last window, and DOSBox with it.
    setAttribute(Qt::WA_QuitOnClose, false);
    const int textWidth = kWidth - 2 * kMargin;
    progressLabel =
        AddStoneNote(this, "Progress", relay.Progress(), {kMargin, kMargin, textWidth, 40}, 12);
    int y = 54;
    pathLabel =
        AddStoneNote(this, "Path", PathText(relay), {kMargin, y, textWidth, kPathHeight}, 12);
    connect(&relay, &Relay::PathChanged, pathLabel,
            [this, &relay] { pathLabel->setText(PathText(relay)); });
    y += kPathHeight + 4;
    if (code_) {
        // Read out over the phone, so it stands apart from the rest.
        gameCodeLabel =
            AddStoneNote(this, "GameCode",
                         QStringLiteral("Game code: %1").arg(MessageText(ShowGameCode(*code_))),
                         {kMargin, y, textWidth / 2, kCodeHeight}, 14);
        strangersLabel = AddStoneNote(this, "Strangers", {},
                                      {kMargin + textWidth / 2, y, textWidth / 2, kCodeHeight}, 12);
        connect(&relay, &Relay::TurnedAway, strangersLabel,
                [this](int count) { strangersLabel->setText(StrangersText(count)); });
        y += kCodeHeight + 4;
    }
    if (router_) {
        routerLabel =
            AddStoneNote(this, "Router", QStringLiteral("Asking your router to open the port..."),
                         {kMargin, y, textWidth, kRouterHeight}, 12);
        y += kRouterHeight + 4;
        connect(router_.get(), &RouterPort::Answered, this, &LinkWindow::ShowRouterAnswer);
    }
    tellText = new QPlainTextEdit(this);
    tellText->setObjectName("Tell");
    tellText->setGeometry(kMargin, y, textWidth - kButtonWidth - 8, 80);
    tellText->setReadOnly(true);
    const int buttonX = kWidth - kMargin - kButtonWidth;
    copyButton = AddButton(this, "CopyButton", "&Copy", buttonX, y, kButtonWidth);
    inviteButton =
        AddButton(this, "InviteButton", "Copy &invitation", buttonX, y + 30, kButtonWidth);
    cancelButton = AddButton(this, "CancelButton", "Cancel", (kWidth - 75) / 2, y + 90);
    // Only a host has something to tell: where the others reach it.
    told_ = relay.Hosting() ? relay.AddressesToTell() : QStringList();
    ShowTold();
    for (QWidget* part : {static_cast<QWidget*>(tellText), static_cast<QWidget*>(copyButton)}) {
        part->setVisible(!told_.isEmpty());
    }
    inviteButton->setVisible(!told_.isEmpty() && invites_.has_value());
    connect(copyButton, &QPushButton::clicked, this,
            [this] { QGuiApplication::clipboard()->setText(Told().first); });
    connect(inviteButton, &QPushButton::clicked, this, [this] {
        if (const auto invitation = ToSend()) {
            QGuiApplication::clipboard()->setText(MessageText(
                InvitationLink(*invitation) + "\n" + InvitationPlainLine(*invitation) + "\n"));
        }
    });
    connect(cancelButton, &QPushButton::clicked, this, &LinkWindow::reject);
    connect(&relay, &Relay::Progressed, progressLabel, &QLabel::setText);
    connect(&relay, &Relay::LinkUp, this, [this] {
        linked_ = true;
        cancelButton->setText(QStringLiteral("Close"));
    });
    connect(&relay, &Relay::Failed, this, &QDialog::accept);
    if (routerLabel != nullptr) {
        FitRouterAnswer();
    }
}

// The router is removed from only here, after the window: its port stays open until
// the start ends, whether the window is still shown or not.
LinkWindow::~LinkWindow() = default;

void LinkWindow::ShowRouterAnswer() {
    routerLabel->setText(router_->Words());
    FitRouterAnswer();
    ShowTold();
}

// One address, so that the player cannot tell the wrong one: the router's when it
// opened the port, else this machine's on the home network; and which it is.
std::pair<QString, QString> LinkWindow::Told() const {
    if (router_) {
        if (const auto invitation = router_->RouterInvitation()) {
            return {MessageText(ShowLinkAddress(invitation->address)),
                    QStringLiteral("your router's address on the internet")};
        }
    }
    return {told_.value(0), QStringLiteral("this machine's address on your home network")};
}

void LinkWindow::ShowTold() {
    const auto [address, which] = Told();
    tellText->setPlainText(address.isEmpty() ? QString() : address + "\n(" + which + ")");
}

// The answer may be one line to tell or a few lines of advice: the window takes room
// for what it says, and what stands below moves down with it.
void LinkWindow::FitRouterAnswer() {
    const int grow = routerLabel->heightForWidth(routerLabel->width()) - routerLabel->height();
    if (grow <= 0) {
        return;
    }
    routerLabel->resize(routerLabel->width(), routerLabel->height() + grow);
    for (QWidget* below :
         {static_cast<QWidget*>(tellText), static_cast<QWidget*>(copyButton),
          static_cast<QWidget*>(inviteButton), static_cast<QWidget*>(cancelButton)}) {
        below->move(below->x(), below->y() + grow);
    }
    setFixedSize(width(), height() + grow);
}

// The router's address on the internet when it gave one; else this machine's likeliest
// address, for players at home.
std::optional<Invitation> LinkWindow::ToSend() const {
    std::optional<Invitation> invitation = router_ ? router_->RouterInvitation() : std::nullopt;
    const auto address = ParseLinkAddress(NarrowText(told_.value(0)), publicPort_);
    if (!invitation && invites_ && address) {
        invitation = Invitation{*invites_, *address};
    }
    if (invitation) {
        invitation->code = code_;
        invitation->plainPeersJoin = plainPeersJoin_;
        invitation->meetingPlace = meetingPlace_;
    }
    return invitation;
}

void LinkWindow::reject() {
    QDialog::reject();
    if (cancel_ && !linked_) {
        cancel_();
    }
}

DosEngineRunner::LinkWatcher LinkWindow::Watcher(LauncherSettings& settings, Prompter& prompter,
                                                 MappingOptions routerOptions,
                                                 HomeNetworkOptions homeOptions) {
    return [&settings, &prompter, routerOptions = std::move(routerOptions),
            homeOptions =
                std::move(homeOptions)](const InternetLink& link, Relay& relay,
                                        std::function<void()> cancel) -> std::unique_ptr<QObject> {
        const QString host = MessageText(ShowLinkAddress(link.address));
        relay.AskCodeWith([&prompter, host] { return AskGameCode(prompter, host); });
        auto window =
            std::make_unique<LinkWindow>(relay, std::move(cancel), HostedStart(link),
                                         AskRouterFor(settings, link, relay, routerOptions));
        // The window lasts as long as the start, and so does the offer it holds.
        OfferHostedGame(link, relay, window.get(), homeOptions);
        window->show();
        return window;
    };
}

} // namespace marloven
