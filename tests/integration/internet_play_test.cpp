// SPDX-License-Identifier: GPL-3.0-or-later
// Launchers on this machine play each other over the loopback addresses. Each one makes
// its start as a player would (buttons, the phonebook, the link dialog); its DOS engine
// opens the link it carries, writes the DOSBox configuration and COMMIT.DAT, and runs
// DOSBox with our DOS COMMIT.EXE, which brings up the link COMMIT.DAT describes,
// exchanges a line with the others and starts the game. The host starts first; the
// others start while it waits, as players on other machines would. Every log must show
// the others' lines and the game started.

#include "tests/integration/players.h"
#ifdef __linux__
#include "tests/integration/netns.h"
#endif

#include "core/file_io.h"
#include "core/game_file.h"
#include "launcher/dos_engine.h"
#include "launcher/launcher_settings.h"
#include "launcher/link_settings.h"
#include "launcher/start_plan.h"
#include "tests/support/deaf_host.h"
#include "tests/support/scripted_router.h"
#include "tests/ui/dialog_driver.h"
#include "ui/dialogs/link_dialog.h"
#include "ui/dialogs/link_window.h"
#include "ui/dialogs/phonebook_entry_dialog.h"
#include "ui/dialogs/pick_opponent_dialog.h"
#include "ui/dialogs/players_dialog.h"
#include "ui/main/game_options_page.h"
#include "ui/main/modem_page.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSpinBox>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QTreeWidget>
#include <QUdpSocket>
#include <gtest/gtest.h>
#include <sstream>

namespace marloven::test {
namespace {

using namespace std::chrono_literals;

#ifdef __linux__
// Where DOSBox waits for others in the starts this test made: on 127.0.0.1 only.
void ExpectDosboxOnThisMachineOnly(std::size_t datagramSockets) {
    std::size_t datagrams = 0;
    for (const auto& socket : testing::DosboxSockets()) {
        EXPECT_EQ(socket.address, "127.0.0.1") << socket.port;
        datagrams += socket.datagram ? 1 : 0;
    }
    EXPECT_EQ(datagrams, datagramSockets);
}
#endif

// The dialog is reused: a Cancel clicked with the mouse keeps the focus, and must not
// leave Cancel answering Enter at the next opening.
TEST(LinkDialog, AfterACancelClickEnterStillAcceptsTheNextOpening) {
    LinkDialog dialog;
    InternetLink link;
    link.mode = LaunchMode::AlreadyConnected;
    link.address.port = 2324; // as the settings always give one
    dialog.Prepare(link, {});
    ExecWhile(dialog, [&] { QTest::mouseClick(dialog.cancelButton, Qt::LeftButton); });
    dialog.Prepare(link, {});
    const int result = ExecWhile(dialog, [&] {
        ASSERT_NE(dialog.focusWidget(), nullptr);
        QTest::keyClick(dialog.focusWidget(), Qt::Key_Return);
    });
    EXPECT_EQ(result, QDialog::Accepted);
}

// What the link cannot take is refused beside its box before the dialog closes, and
// what was typed stays to be mended: a hosting port below 1024 or above 65535, a host
// that is no address, a port that is no port (not wrapped to 16 bits, not blamed on the
// address).
TEST(LinkDialog, WhatItCannotTakeIsRefusedInPlaceKeepingWhatWasTyped) {
    LinkDialog dialog;
    InternetLink link;
    link.mode = LaunchMode::Network;
    link.address.port = 2130;
    dialog.Prepare(link, {"192.168.77.2"});
    const auto typeInto = [](auto* box, const QString& text) {
        box->selectAll(); // over what was there
        TypeText(box, text);
    };
    const int result = ExecWhile(dialog, [&] {
        for (const char* port : {"80", "65536", "0"}) {
            typeInto(dialog.portSpin, port);
            EXPECT_FALSE(dialog.okButton->isEnabled()) << port;
            EXPECT_EQ(dialog.findChild<QLabel*>("PortNote")->text(), "Ports: 1024 to 65535");
        }
        typeInto(dialog.portSpin, "2324");
        EXPECT_TRUE(dialog.okButton->isEnabled());
        dialog.joinButton->click();
        for (const char* address : {"999.1.1.1", "[::1]:99999", "0x7f.1"}) {
            typeInto(dialog.addressEdit, address);
            dialog.okButton->click();
            ASSERT_TRUE(dialog.isVisible()) << address;
            EXPECT_EQ(dialog.addressEdit->text(), address);
        }
        EXPECT_TRUE(
            dialog.findChild<QLabel*>("AddressNote")->text().startsWith("\"0x7f.1\" is not"));
        typeInto(dialog.addressEdit, "[::1]:0");
        dialog.okButton->click();
        EXPECT_TRUE(
            dialog.findChild<QLabel*>("AddressNote")->text().startsWith("\"0\" after the colon"));
        typeInto(dialog.addressEdit, "[::1]:2325");
        dialog.okButton->click();
    });
    EXPECT_EQ(result, QDialog::Accepted);
    ASSERT_TRUE(dialog.Choice());
    EXPECT_EQ(dialog.Choice()->address, (LinkAddress{"::1", 2325, true}));
}

// The two launchers call each other over ::1: the caller's launcher places the call
// its phonebook names, its driver dials the launcher's own end.
TEST_F(InternetPlay, AModemCallOverIpv6ToTheAnsweringMachineCarriesTheGame) {
    const int port = FreePort(Protocol::Tcp);
    // The answering player has the mouse tweak on: helper, driver and game run in one DOSBox.
    host_->Window().gameOptionsPage->tweakMouseCheck->click();
    Player& caller = *guest_;
    const QString number = QString("[::1]:%1").arg(port);
    PlayTogether(
        {[&] { host_->ChooseLink([&] { host_->Window().answerButton->click(); }, {}, port); },
         [&] {
             caller.TellCode(*host_);
             caller.DialNewEntry("Friend", number);
         }});
    // The phonebook keeps the number as typed; the driver dialled the launcher's end.
    EXPECT_EQ(caller.launcher.dir.Read("MARLOVEN.PBK").substr(41, 1 + number.size()),
              char(number.size()) + number.toStdString());
    EXPECT_TRUE(Has(caller.launcher.dir.Read("COMMIT.DAT"), "PHONENUMBER = \"ATDT127.0.0.1:"));
    const std::string answered = host_->Log();
    EXPECT_EQ(
        answered.rfind("start VKSETMS.EXE\r\ntail  -nopred\r\nstarts COMMIT.EXE -nopred\r\nend\r\n"
                       "start COMMIT.EXE\r\ntail  -nopred\r\n",
                       0),
        0u)
        << answered;
    ExpectLinked(answered, "dial");
    ExpectLinked(caller.Log(), "answer");
    // What a dial would call now: the number called last, through the launcher.
    std::ostringstream dial;
    std::ostringstream errors;
    PrintNamedStart("dial", caller.launcher.dir.Path(), caller.engine, caller.launcher.settings,
                    dial, errors);
    EXPECT_TRUE(Has(dial.str(), "Link: DOSBox reaches the launcher on 127.0.0.1, and the "
                                "launcher calls " +
                                    number.toStdString() + " (TCP)\n"))
        << dial.str();
    for (Player* player : {host_.get(), guest_.get()}) {
        EXPECT_TRUE(player->launcher.prompter.messages.isEmpty())
            << player->launcher.prompter.messages.join('\n').toStdString();
    }
}

// The launchers end, as the program does, when their last window closes: the link
// windows closing at link up, while the main windows are hidden, must not end them.
TEST_F(InternetPlay, TheNullModemJoinerReachesTheHostAtTheAddressItWasTold) {
    const int port = FreePort(Protocol::Tcp);
    QApplication::setQuitOnLastWindowClosed(true);
    const auto restore = qScopeGuard([] { QApplication::setQuitOnLastWindowClosed(false); });
    // The host's list shows "address:port"; the joining player pastes that whole.
    QTimer::singleShot(0, [&] {
        PlayTogether(
            {[&] {
                 host_->ChooseLink([&] { host_->Window().alreadyConnectedButton->click(); }, {},
                                   port);
             },
             [&] {
#ifdef __linux__
                 // The hosting DOSBox reaches the launcher: nothing of it waits for others.
                 ExpectDosboxOnThisMachineOnly(0);
#endif
                 guest_->TellCode(*host_);
                 guest_->ChooseLink([&] { guest_->Window().alreadyConnectedButton->click(); },
                                    QString("127.0.0.1:%1").arg(port), 1);
             }});
        QApplication::exit(0);
    });
    QApplication::exec();
    ExpectLinked(host_->Log(), "already");
    ExpectLinked(guest_->Log(), "already");
}

// Three launchers: the host's tunnel tells the two joining players apart, and every
// driver hears the other two.
TEST_F(InternetPlay, ThreeNetworkPlayersMeetThroughTheHostsIpxTunnel) {
    const int port = FreePort(Protocol::Udp);
    Player third(settings_);
    std::vector<std::function<void()>> starts;
    for (Player* player : {host_.get(), guest_.get(), &third}) {
        starts.push_back([player, port, host = host_.get(), running = starts.size()] {
#ifdef __linux__
            // The launcher is the tunnel's server: each DOSBox started so far holds only
            // its tunnel client, kept to 127.0.0.1, no server.
            ExpectDosboxOnThisMachineOnly(running);
#endif
            player->PlayNetwork(player->Window().kaliButton, 3, *host, port);
        });
    }
    PlayTogether(starts);
    for (Player* player : {host_.get(), guest_.get(), &third}) {
        const std::string log = player->Log();
        const auto first = log.find("peer LINK network");
        EXPECT_NE(log.find("peer LINK network", first + 1), std::string::npos) << log;
        ExpectLinked(log, "network");
    }
}

TEST_F(InternetPlay, ThePrintedStartShowsTheLinkLastChosen) {
    host_ = std::make_unique<Player>(settings_, true);
    guest_ = std::make_unique<Player>(settings_, true);
    PlayersDialog& players = *guest_->launcher.forms->players;
    guest_->launcher.prompter.textAnswers.push_back("K7PW-2QXM"); // the host's code
    guest_->ChooseLink(
        [&] {
            WhenOpened(players, [&players] { players.CountButton(3)->click(); });
            guest_->Window().networkButton->click();
        },
        "10.0.0.2", 5555);
    host_->ChooseLink([this] { host_->Window().answerButton->click(); }, {}, 6666);

    std::ostringstream network;
    std::ostringstream answer;
    std::ostringstream errors;
    PrintNamedStart("network", guest_->launcher.dir.Path(), guest_->engine,
                    guest_->launcher.settings, network, errors);
    PrintNamedStart("answer", host_->launcher.dir.Path(), host_->engine, host_->launcher.settings,
                    answer, errors);
    EXPECT_TRUE(Has(network.str(), "[ipx]\nipx=true\n")) << network.str();
    // DOSBox reaches the launcher, which joins the host.
    EXPECT_TRUE(Has(network.str(), "ipxnet connect 127.0.0.1 5555\nCOMMIT.EXE")) << network.str();
    EXPECT_TRUE(Has(network.str(), "the launcher joins 10.0.0.2:5555 (UDP)")) << network.str();
    // VK.CFG's ComPort = 2.
    EXPECT_TRUE(Has(answer.str(), "serial2=modem listenport:6666\n")) << answer.str();
}

// The routers stand in for home routers, one that opens the port and one that refuses.
// The window tells the answer while hosting goes on; Copy invitation names the router's
// address, or this machine's where the router could not help; the port closes when the
// start ends. Turned off in the Options menu, no router is asked.
// The scripted router answers at once, often before the window is made.
TEST_F(InternetPlay, TheLinkWindowTellsWhatTheRouterAnsweredAndCopiesTheInvitation) {
    const struct {
        RouterOutcome outcome;
        QString told;
        QString invited;
    } cases[] = {
        {RouterOutcome::Opened,
         QString::fromUtf8("Tell: 198.20.23.1:%1 \u2014 opened on your router"),
         "marloven://join?start=cable&address=198.20.23.1&port=%1&code="},
        {RouterOutcome::Refused, "Your router would not open TCP port %1",
         "marloven://join?start=cable&address="},
    };
    Player& host = *host_;
    host.Window().askRouterAction->setChecked(true);
    for (const auto& [outcome, told, invited] : cases) {
        auto calls = std::make_shared<Calls>();
        host.WatchLinks(Scripted(calls, {{outcome, 0ms}}));
        const int port = FreePort(Protocol::Tcp);
        QString router;
        QString invitation;
        QString copied;
        QString which;
        const WhenReady answered([&] { return RouterAnswered(host); },
                                 [&] {
                                     router = RouterAnswerOrCancel(host).value_or(QString());
                                     if (router.isEmpty()) {
                                         return;
                                     }
                                     host.window->inviteButton->click();
                                     invitation = QGuiApplication::clipboard()->text();
                                     host.window->copyButton->click();
                                     copied = QGuiApplication::clipboard()->text();
                                     which = host.window->tellText->toPlainText();
                                     host.window->cancelButton->click();
                                 });
        host.ChooseLink([&] { host.Window().alreadyConnectedButton->click(); }, {}, port);
        EXPECT_TRUE(router.startsWith(told.arg(port))) << router.toStdString();
        EXPECT_TRUE(invitation.startsWith(QString(invited).replace("%1", QString::number(port))))
            << invitation.toStdString();
        // One address told and copied: the router's once it opened the port.
        const bool opened = outcome == RouterOutcome::Opened;
        EXPECT_EQ(copied == QString("198.20.23.1:%1").arg(port), opened) << copied.toStdString();
        EXPECT_TRUE(copied.contains(QRegularExpression(QString("^[0-9.]+:%1$").arg(port))));
        EXPECT_EQ(which, copied + (opened ? "\n(your router's address on the internet)"
                                          : "\n(this machine's address on your home network)"));
        EXPECT_EQ(calls->removes, outcome == RouterOutcome::Opened ? 1 : 0);
        EXPECT_TRUE(host.launcher.settings.Get(LauncherKey::RouterMapping).toString().isEmpty());
    }

    host.Window().askRouterAction->setChecked(false);
    auto calls = std::make_shared<Calls>();
    host.WatchLinks(Scripted(calls, {{RouterOutcome::Opened, 0ms}}));
    bool routerShown = true;
    const WhenReady shown([&] { return !host.window.isNull(); },
                          [&] {
                              routerShown = host.window && host.window->routerLabel != nullptr;
                              if (host.window) {
                                  host.window->cancelButton->click();
                              }
                          });
    host.ChooseLink([&] { host.Window().alreadyConnectedButton->click(); }, {},
                    FreePort(Protocol::Tcp));
    EXPECT_FALSE(routerShown);
    EXPECT_EQ(calls->opens, 0);
}

// A clicked invitation fills the dialog its start begins with, and starts nothing.
TEST_F(InternetPlay, AnInvitationFillsTheJoiningDialogAndStartsNothingByItself) {
    host_ = std::make_unique<Player>(settings_, true);
    LinkDialog& link = host_->Link();
    const InternetLink before =
        LoadLinkChoice(host_->launcher.settings, LaunchMode::AlreadyConnected);
    host_->launcher.settings.Set(LauncherKey::MeetServer, "meet.example.org");
    const LinkAddress hostsMeetingPlace{"2001:db8::9", 8883, true};
    // An IPv6 host is shown in brackets, as the dialog reads it back. The start goes
    // through the host's meeting place, and through the player's own when it names none.
    for (const auto& [host, shown] :
         {std::pair{LinkAddress{"198.51.100.4", 2324, false}, QString("198.51.100.4")},
          {LinkAddress{"2001:db8::7", 2324, true}, QString("[2001:db8::7]")}}) {
        Invitation invitation{InvitationStart::Cable, host};
        if (host.ipv6) {
            invitation.meetingPlace = hostsMeetingPlace;
        }
        std::optional<InternetLink> chosen;
        WhenOpened(link, [&] {
            chosen = link.Choice();
            EXPECT_EQ(link.addressEdit->text(), shown);
            link.cancelButton->click();
        });
        host_->Window().OpenInvitation(invitation);
        ASSERT_TRUE(chosen) << shown.toStdString();
        EXPECT_EQ(chosen->side, LinkSide::Join);
        EXPECT_EQ(chosen->address, host);
        EXPECT_EQ(chosen->meetingPlace,
                  (host.ipv6 ? hostsMeetingPlace : LinkAddress{"meet.example.org", 1883, false}));
        // Cancelled: the settings keep the link the player chose last.
        const InternetLink after =
            LoadLinkChoice(host_->launcher.settings, LaunchMode::AlreadyConnected);
        EXPECT_EQ(after.address, before.address);
        EXPECT_EQ(after.side, before.side);
    }

    PickOpponentDialog& phonebook = *host_->launcher.forms->pickOpponent;
    QString picked;
    WhenOpened(phonebook, [&] {
        const auto rows = phonebook.phoneList->selectedItems();
        picked = rows.isEmpty() ? QString() : rows.front()->text(0) + "|" + rows.front()->text(1);
        phonebook.cancelButton->click();
    });
    host_->Window().OpenInvitation(
        {InvitationStart::ModemCall, {"velkaran.example.org", 2323, false}});
    EXPECT_EQ(picked, "From invitation|velkaran.example.org:2323");
    EXPECT_EQ(host_->keeping->starts, 0);
    EXPECT_FALSE(host_->launcher.dir.Exists("MARLOVEN.PBK"));
}

TEST_F(InternetPlay, AComPortThatDosboxLacksStopsTheStartBeforeAnythingIsWritten) {
    host_ = std::make_unique<Player>(settings_, true);
    MainWindow& main = host_->Window();
    Choose(main.modemPage->comPortCombo, 8); // "User Defined"
    main.answerButton->click();
    Choose(main.modemPage->comPortCombo, 4); // COM5
    main.alreadyConnectedButton->click();
    EXPECT_EQ(host_->launcher.prompter.messages.size(), 2);
    EXPECT_TRUE(host_->launcher.prompter.messages.front().contains("COM1 to COM4"));
    EXPECT_EQ(host_->keeping->starts, 0);
    EXPECT_FALSE(host_->launcher.dir.Exists("COMMIT.DAT"));
    EXPECT_TRUE(main.isVisible());
}

TEST_F(InternetPlay, HostingOnAPortInUseIsRefusedBeforeAnythingStarts) {
    QTcpServer other;
    ASSERT_TRUE(other.listen(QHostAddress::Any, 0));
    host_->ChooseLink([&] { host_->Window().answerButton->click(); }, {}, other.serverPort());
    ASSERT_EQ(host_->launcher.prompter.messages.size(), 1);
    EXPECT_TRUE(host_->launcher.prompter.messages[0].contains(
        QString("The port %1 is in use").arg(other.serverPort())));
    EXPECT_EQ(host_->Log(), "");
    EXPECT_TRUE(host_->Window().isVisible());
}

// Each call the driver makes is refused; once it gives up, the player is told why.
TEST_F(InternetPlay, ACallToAPortNobodyHoldsEndsWithTheCause) {
    const int port = FreePort(Protocol::Tcp);
    Player& caller = *guest_;
    caller.DialNewEntry("Nobody", QString("127.0.0.1:%1").arg(port));
    EXPECT_EQ(caller.launcher.prompter.messages,
              QStringList{QString("Could not reach 127.0.0.1:%1: refused. Nothing takes the link "
                                  "on that port there; check that the other player is hosting "
                                  "and the port is right.")
                              .arg(port)});
    EXPECT_TRUE(Has(caller.Log(), "got NO CARRIER")) << caller.Log();
    EXPECT_TRUE(caller.Window().isVisible());
}

// A host that never answers ends the join at the bound of one try; Cancel ends it at
// once, DOSBox with it, and the main window is back within 2 s.
TEST_F(InternetPlay, AJoinThatIsNeverAnsweredEndsAtTheBoundOrAtCancel) {
    if (!DeafHost::kPossible) {
        GTEST_SKIP() << "no silent host can be made on this system";
    }
    const DeafHost deaf;
    const QString address = QString("127.0.0.1:%1").arg(deaf.port);
    const auto join = [&] {
        guest_->ChooseLink([&] { guest_->Window().alreadyConnectedButton->click(); }, address, 1);
    };
    QElapsedTimer clock;
    clock.start();
    join();
    EXPECT_LT(clock.elapsed(), 10000 + 5000); // the try, and DOSBox's start and end
    EXPECT_TRUE(guest_->launcher.prompter.messages.value(0).startsWith(
        "Could not reach " + address + ": no answer in 10 s."));
    RecordProperty("given_up_after_ms", static_cast<int>(clock.elapsed()));

    guest_->launcher.prompter.messages.clear();
    QElapsedTimer sinceCancel;
    QTimer::singleShot(3000, [&] {
        ASSERT_TRUE(guest_->window);
        EXPECT_TRUE(
            guest_->window->progressLabel->text().startsWith("Joining " + address + " ... "));
        sinceCancel.start();
        QTest::keyClick(guest_->window, Qt::Key_Escape);
    });
    join();
    EXPECT_LT(sinceCancel.elapsed(), 2000);
    RecordProperty("back_after_cancel_ms", static_cast<int>(sinceCancel.elapsed()));
    EXPECT_TRUE(guest_->Window().isVisible());
    EXPECT_TRUE(guest_->launcher.prompter.messages.isEmpty());
}

// DOSBox that ends with an error, crashes, or says "Exit to error" and ends with 0: the
// player is told why, with DOSBox's last lines, and no demo is offered for saving.
TEST_F(InternetPlay, DosboxsOwnFailuresAreToldAndNoDemoIsOffered) {
    const struct {
        const char* does;
        const char* told;
    } cases[] = {
        {"error", "DOSBox stopped with an error: Can't init SDL"},
        {"code1", "DOSBox ended with code 1."},
        {"crash", "DOSBox crashed."},
    };
    Player& player = *host_;
    player.Window().gameOptionsPage->recordDemoCheck->setChecked(true);
    player.settings.dosboxPath = FAKE_DOSBOX_PATH;
    for (const auto& [does, told] : cases) {
        qputenv("FAKE_DOSBOX", does);
        player.launcher.prompter.messages.clear();
        player.Window().singlePlayerButton->click();
        qunsetenv("FAKE_DOSBOX");
        ASSERT_EQ(player.launcher.prompter.messages.size(), 1) << does;
        EXPECT_TRUE(player.launcher.prompter.messages[0].startsWith(told))
            << player.launcher.prompter.messages[0].toStdString();
        EXPECT_TRUE(player.launcher.prompter.saveRequests.empty());
        EXPECT_TRUE(player.Window().isVisible());
    }
}

} // namespace
} // namespace marloven::test
