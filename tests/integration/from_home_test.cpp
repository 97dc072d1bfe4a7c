// SPDX-License-Identifier: GPL-3.0-or-later
// Hosting from a home network behind the real miniupnpd: the hosting launcher's start
// has the router forward the relay's port, a launcher outside joins through the
// router's outside address only, with the invitation the host's link window copied,
// and the port closes when the start ends, or at the next start of a launcher that was
// killed while hosting. The launchers outside and the killed one are this program run
// again, with one of the helper tests, in a network namespace of their own.
#include "tests/integration/players.h"

#include "comm/invitation.h"
#include "launcher/launcher_settings.h"
#include "tests/integration/netns.h"
#include "ui/dialogs/pick_opponent_dialog.h"
#include "ui/dialogs/players_dialog.h"

#include <QAction>
#include <QCoreApplication>
#include <QProcess>
#include <QThread>
#include <cerrno>
#include <csignal>
#include <set>

namespace marloven::test {
namespace {

using marloven::testing::InNamespace;
using marloven::testing::kHomeAddress;
using marloven::testing::Lab;
using marloven::testing::Reach;
using marloven::testing::RouterKind;

// What a helper run is given: the folder it reports into, and the invitation it opens.
constexpr const char* kHelperFolder = "MARLOVEN_TEST_HELPER_FOLDER";
constexpr const char* kHelperInvitation = "MARLOVEN_TEST_HELPER_INVITATION";

// This program again inside one of the lab's namespaces, running one helper test.
std::unique_ptr<QProcess> StartHelper(const Lab& lab, const std::string& where, const QString& test,
                                      const GameDir& folder, const QString& invitation = {}) {
    auto environment = QProcessEnvironment::systemEnvironment();
    environment.insert(kHelperFolder, QString::fromStdString(folder.Path().string()));
    environment.insert(kHelperInvitation, invitation);
    auto process = std::make_unique<QProcess>();
    process->setProcessEnvironment(environment);
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    process->start("ip",
                   {"netns", "exec", QString::fromStdString(lab.NamespaceName(where)),
                    QCoreApplication::applicationFilePath(),
                    "--gtest_filter=FromHomeHelper." + test, "--gtest_also_run_disabled_tests"});
    return process;
}

std::filesystem::path HelperFolder() {
    return qEnvironmentVariable(kHelperFolder).toStdString();
}

class FromHomeHelper : public InternetPlay {};

// The player outside: opens the invitation as a click in a chat program would, and
// takes the dialogs it fills as they are.
TEST_F(FromHomeHelper, DISABLED_JoinsTheInvitation) {
    const auto parsed = ParseInvitation(qEnvironmentVariable(kHelperInvitation).toStdString());
    ASSERT_TRUE(parsed.invitation) << parsed.refusal;
    Player& joiner = *guest_;
    LinkDialog& link = joiner.Link();
    PlayersDialog& players = *joiner.launcher.forms->players;
    PickOpponentDialog& phonebook = *joiner.launcher.forms->pickOpponent;
    switch (parsed.invitation->start) {
    case InvitationStart::ModemCall:
        WhenOpened(phonebook, [&phonebook] { phonebook.dialButton->click(); });
        break;
    case InvitationStart::Network:
        WhenOpened(players, [&players] { players.CountButton(2)->click(); });
        [[fallthrough]];
    case InvitationStart::Cable:
        WhenOpened(link, [&link] { link.okButton->click(); });
        break;
    }
    joiner.Window().OpenInvitation(*parsed.invitation);
    EXPECT_FALSE(WriteFileAtomically(HelperFolder() / "joiner.log", joiner.Log()));
}

// A launcher hosting from home until it is killed: once its window shows the router's
// answer, it says where its settings are.
TEST_F(FromHomeHelper, DISABLED_HostsUntilKilled) {
    Player& host = *host_;
    host.Window().askRouterAction->setChecked(true);
    host.WatchLinks({});
    const WhenReady answered(
        [&] { return RouterAnswered(host); },
        [&] {
            EXPECT_FALSE(WriteFileAtomically(HelperFolder() / "hosting",
                                             host.launcher.settings.FileName().toStdString()));
        });
    host.ChooseLink([&] { host.Window().alreadyConnectedButton->click(); }, {}, 2324);
}

class InternetPlayFromHome : public InternetPlay {
  protected:
    void SetUp() override {
        if (const auto reason = marloven::testing::LabUnavailable()) {
            GTEST_SKIP() << *reason;
        }
        InternetPlay::SetUp();
    }
    void TearDown() override {
        home_.reset();
        lab_.reset();
        InternetPlay::TearDown();
    }

    // The lab around a router of that kind; this thread, and the host's launcher on
    // it, in the home network.
    void Stand(RouterKind kind) {
        home_.reset();
        lab_.emplace(kind);
        ASSERT_EQ(lab_->Failure(), "");
        home_.emplace(*lab_, "home");
        ASSERT_TRUE(home_->Entered());
        host_->Window().askRouterAction->setChecked(true);
        host_->WatchLinks({});
        kind_ = kind;
    }

    // Whether the router forwards the port: as a UPnP client at home lists it, or, where
    // the router speaks NAT-PMP only, as its forwarding rules show it.
    bool Listed(int port) const {
        const std::string to =
            std::string(marloven::testing::kHomeAddress) + ":" + std::to_string(port);
        if (kind_ == RouterKind::NatPmpOnly) {
            return Has(lab_->RunIn("router", {"nft", "list", "ruleset"}).output,
                       "dport " + std::to_string(port) + " dnat ip to " + to);
        }
        return Has(lab_->RunIn("home", {"upnpc", "-l"}).output, std::to_string(port) + "->" + to);
    }

    // The host's start; once its window tells the router's answer, the invitation it
    // copies goes to a launcher outside. Both drivers must link, and the port must be
    // open while the start lasts and closed after it.
    void HostForTheInternet(int port, const std::function<void()>& start,
                            const std::string& hostsPeer, const std::string& joinersPeer,
                            RouterKind kind = RouterKind::UpnpOnly) {
        Stand(kind);
        if (HasFatalFailure()) {
            return;
        }
        QString told;
        bool listed = false;
        std::unique_ptr<QProcess> joiner;
        QElapsedTimer clock;
        clock.start();
        const WhenReady answered(
            [this] { return RouterAnswered(*host_); },
            [&] {
                RecordProperty("router_answered_after_ms", static_cast<int>(clock.elapsed()));
                const auto answer = RouterAnswerOrCancel(*host_);
                if (!answer) {
                    return;
                }
                told = *answer;
                listed = Listed(port);
                host_->window->inviteButton->click();
                const QString invitation = QGuiApplication::clipboard()->text().section('\n', 0, 0);
                joiner = StartHelper(*lab_, "outside", "DISABLED_JoinsTheInvitation", scratch_,
                                     invitation);
            });
        start();
        ASSERT_TRUE(joiner);
        // It may have ended already while the host's start ran.
        EXPECT_TRUE(joiner->state() == QProcess::NotRunning ||
                    joiner->waitForFinished(kDosboxBoundMs));
        EXPECT_EQ(joiner->exitCode(), 0);
        EXPECT_TRUE(told.startsWith(QString("Tell: 198.20.23.1:%1 ").arg(port)))
            << told.toStdString() << lab_->RouterLog();
        EXPECT_TRUE(listed);
        ExpectLinked(host_->Log(), hostsPeer);
        ExpectLinked(scratch_.Read("joiner.log"), joinersPeer);
        EXPECT_FALSE(Listed(port));
    }

    std::optional<Lab> lab_;
    std::optional<InNamespace> home_; // left before the lab goes
    RouterKind kind_ = RouterKind::UpnpOnly;
};

TEST_F(InternetPlayFromHome, ACableJoinerOnTheInternetReachesTheHostThroughThePortItOpened) {
    HostForTheInternet(
        2324,
        [this] {
            host_->ChooseLink([this] { host_->Window().alreadyConnectedButton->click(); }, {},
                              2324);
        },
        "already", "already");
}

TEST_F(InternetPlayFromHome, ANetworkPlayerOnTheInternetReachesTheHostsTunnelThroughTheRouter) {
    HostForTheInternet(
        2130,
        [this] {
            PlayersDialog& players = *host_->launcher.forms->players;
            host_->ChooseLink(
                [&] {
                    WhenOpened(players, [&players] { players.CountButton(2)->click(); });
                    host_->Window().networkButton->click();
                },
                {}, 2130);
        },
        "network", "network");
}

// A router that speaks NAT-PMP and no UPnP opens the port as well.
TEST_F(InternetPlayFromHome, ACableJoinerReachesTheHostThroughARouterThatSpeaksOnlyNatPmp) {
    HostForTheInternet(
        2324,
        [this] {
            host_->ChooseLink([this] { host_->Window().alreadyConnectedButton->click(); }, {},
                              2324);
        },
        "already", "already", RouterKind::NatPmpOnly);
}

// The caller dials the invitation's entry in the phonebook.
TEST_F(InternetPlayFromHome, ACallerOnTheInternetReachesTheAnsweringModemThroughTheRouter) {
    HostForTheInternet(
        2323,
        [this] { host_->ChooseLink([this] { host_->Window().answerButton->click(); }, {}, 2323); },
        "dial", "answer");
}

TEST_F(InternetPlayFromHome, APortLeftByAKilledLauncherIsRemovedAtItsNextStart) {
    Stand(RouterKind::UpnpOnly);
    if (HasFatalFailure()) {
        return;
    }
    const auto hosting = StartHelper(*lab_, "home", "DISABLED_HostsUntilKilled", scratch_);
    QElapsedTimer clock;
    clock.start();
    while (!scratch_.Exists("hosting") && clock.elapsed() < 30000) {
        QThread::msleep(50);
    }
    ASSERT_TRUE(scratch_.Exists("hosting")) << lab_->RouterLog();
    EXPECT_TRUE(Listed(2324));
    kill(static_cast<pid_t>(hosting->processId()), SIGKILL);
    hosting->waitForFinished();
    ASSERT_TRUE(Listed(2324)) << "the killed launcher could not remove it";

    // The next start: the launcher program itself, with the killed launcher's settings.
    const fs::path settings = scratch_.Read("hosting");
    GameDir config;
    GameDir game({{"VK.EXE", ""}, {"VK.CFG", "PlayerName = \"Zed\"\r\n"}});
    config.Write("Marloven/marloven.ini", *ReadWholeFile(settings));
    fs::remove_all(settings.parent_path());
    EXPECT_EQ(RunLauncherProgram({"--answers=no", QString::fromStdString(game.Path().string())}, {},
                                 config.Path()),
              0);
    EXPECT_FALSE(Listed(2324));
}

// Whatever the start, no other machine of the home network reaches DOSBox past the
// launcher: each socket DOSBox waits on while two players link is refused from the
// router's side, while the hosting launcher's own port takes what comes.
TEST_F(InternetPlayFromHome, NoOtherMachineReachesDosboxPastTheLauncher) {
    Stand(RouterKind::Bare);
    if (HasFatalFailure()) {
        return;
    }
    using Start = std::function<void(Player&, const QString& join, int port)>;
    const auto chosen = [](auto button, bool counted) -> Start {
        return [button, counted](Player& player, const QString& join, int port) {
            PlayersDialog& players = *player.launcher.forms->players;
            if (counted) {
                WhenOpened(players, [&players] { players.CountButton(2)->click(); });
            }
            player.ChooseLink([&] { (player.Window().*button)->click(); }, join, port);
        };
    };
    const struct {
        const char* peers[2]; // as each driver names the other
        Protocol protocol;
        // At least: the answering modem's, the hosting tunnel's client (a joiner's may
        // come and go between two looks). None is the launcher's, inherited by DOSBox.
        std::size_t dosboxSockets;
        Start start;
    } kinds[] = {
        {{"already", "already"},
         Protocol::Tcp,
         0,
         chosen(&MainWindow::alreadyConnectedButton, false)},
        {{"network", "network"}, Protocol::Udp, 1, chosen(&MainWindow::networkButton, true)},
        {{"dial", "answer"},
         Protocol::Tcp,
         1,
         [](Player& player, const QString& join, int port) {
             if (join.isEmpty()) {
                 player.ChooseLink([&] { player.Window().answerButton->click(); }, {}, port);
             } else {
                 player.DialNewEntry("Host", QString("%1:%2").arg(join).arg(port));
             }
         }},
    };
    for (const auto& [peers, protocol, dosboxSockets, start] : kinds) {
        const int port = FreePort(protocol);
        const bool datagram = protocol == Protocol::Udp;
        std::set<std::pair<bool, int>> tried;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&, peer = peers[0]] {
            for (const auto& socket : marloven::testing::DosboxSockets()) {
                if (tried.insert({socket.datagram, socket.port}).second) {
                    EXPECT_EQ(Reach(*lab_, "router", kHomeAddress, socket.port, socket.datagram),
                              ECONNREFUSED)
                        << peer << " DOSBox's " << socket.address << ':' << socket.port;
                }
            }
        });
        watch.start(50);
        PlayTogether({[&] { start(*host_, {}, port); },
                      [&] {
                          // The answering modem's relay is the cable's, tried first; a
                          // stranger there would ring the waiting driver.
                          if (peers[1] != std::string("answer")) {
                              EXPECT_EQ(Reach(*lab_, "router", kHomeAddress, port, datagram), 0);
                          }
                          start(*guest_, "127.0.0.1", port);
                      }});
        watch.stop();
        EXPECT_GE(tried.size(), dosboxSockets) << peers[0];
        RecordProperty(std::string("dosbox_sockets_refused_") + peers[1],
                       static_cast<int>(tried.size()));
        ExpectLinked(host_->Log(), peers[0]);
        ExpectLinked(guest_->Log(), peers[1]);
    }
}

// Hosting never waits on a router that does not answer: the window says within the
// bound what to do instead, and the event loop carrying the link is never held up.
TEST_F(InternetPlayFromHome, WithoutARouterHostingGoesOnAndSaysToForwardThePortByHand) {
    Stand(RouterKind::Silent);
    if (HasFatalFailure()) {
        return;
    }
    QElapsedTimer clock;
    QElapsedTimer sinceTick;
    qint64 longestStall = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout,
                     [&] { longestStall = std::max(longestStall, sinceTick.restart()); });
    qint64 answeredAfter = -1;
    QString told;
    const WhenReady answered([this] { return RouterAnswered(*host_); },
                             [&] {
                                 answeredAfter = clock.elapsed();
                                 told = RouterAnswerOrCancel(*host_).value_or(QString());
                                 if (host_->window) {
                                     host_->window->cancelButton->click();
                                 }
                             });
    clock.start();
    sinceTick.start();
    tick.start(50);
    host_->ChooseLink([this] { host_->Window().alreadyConnectedButton->click(); }, {}, 2324);
    tick.stop();
    EXPECT_LE(answeredAfter, 2000 + 1000); // the bound, and the start before the router is asked
    EXPECT_LT(longestStall, 1000);
    EXPECT_EQ(told, "No router answered within 2 s, so nothing was opened for you. Forward TCP "
                    "port 2324 to this machine on your router by hand, or let the other player "
                    "host.");
    RecordProperty("answered_after_ms", static_cast<int>(answeredAfter));
    RecordProperty("longest_stall_ms", static_cast<int>(longestStall));
}

} // namespace
} // namespace marloven::test
