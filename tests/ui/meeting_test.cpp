// SPDX-License-Identifier: GPL-3.0-or-later
// Players finding each other: a game hosted on the home network, heard by the join
// dialog of another launcher, and the meeting place the player names in the options.

#include "launcher/dos_engine.h"
#include "launcher/launcher_settings.h"
#include "platform/program_runner.h"
#include "tests/ui/dialog_driver.h"
#include "tests/ui/launcher_fixture.h"
#include "ui/dialogs/link_dialog.h"
#include "ui/dialogs/link_window.h"
#include "ui/dialogs/meeting_place_dialog.h"
#ifdef MARLOVEN_MEETING_PLACE
#include "tests/meet/test_broker.h"
#endif

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTcpServer>
#include <QTest>
#include <QUdpSocket>
#include <gtest/gtest.h>

namespace marloven::test {
namespace {

// Stands in for DOSBox: while it "runs", the test plays the other player.
class WhileRunning : public ProgramRunner {
  public:
    RunResult Run(const CommandLine& /*command*/) override {
        if (during) {
            during();
        }
        return RunOutcome::Ended;
    }
    std::function<void()> during;
};

DosboxSettings FakeDosboxAlways() {
    DosboxSettings dosbox;
    dosbox.dosboxPath = FAKE_DOSBOX_PATH;
    dosbox.use = DosboxUse::Always;
    return dosbox;
}

// A launcher whose comm-driver starts go through the DOS engine, always in DOSBox, with
// its link windows and its offers on the home network as the test directs them.
struct Player {
    Player(const char* name, const HomeNetworkOptions& home)
        : system(new WhileRunning),
          engine(std::unique_ptr<ProgramRunner>(system), &FakeDosboxAlways),
          launcher({{"VK.CFG", std::string("PlayerName = \"") + name + "\"\r\nComPort = 2\r\n"},
                    {"COMMIT.EXE", "MZ"}},
                   nullptr, &engine) {
        EXPECT_TRUE(launcher.Window().LoadSettings());
        engine.WatchLinks(LinkWindow::Watcher(launcher.settings, launcher.prompter, {}, home));
        launcher.forms->link->HearHomeGamesOn(home.port);
    }

    WhileRunning* system; // owned by the engine
    DosEngineRunner engine;
    Launcher launcher;
};

template <typename Socket> quint16 FreePort() {
    Socket socket;
    if constexpr (std::is_same_v<Socket, QTcpServer>) {
        return socket.listen(QHostAddress::LocalHost, 0) ? socket.serverPort() : 0;
    } else {
        return socket.bind(QHostAddress::LocalHost, 0) ? socket.localPort() : 0;
    }
}

// The host's cable start announces itself (here on loopback, by IPv4 and IPv6, on the
// test's port) while it runs; the other launcher's join dialog lists it once, by its IPv4
// address, and choosing it fills in where to join.
TEST(JoinDialog, ListsAGameHostedOnTheHomeNetworkAndChoosingItFillsInItsAddress) {
    const HomeNetworkOptions home{FreePort<QUdpSocket>(),
                                  {QHostAddress::LocalHost, QHostAddress::LocalHostIPv6}};
    Player host("Tamsin", home);
    Player joiner("Orrin", home);
    const int gamePort = FreePort<QTcpServer>();
    const QString expected = QString("Tamsin at 127.0.0.1:%1 (1 of 2 free)").arg(gamePort);
    bool heard = false;
    host.system->during = [&] {
        LinkDialog& dialog = *joiner.launcher.forms->link;
        WhenOpened(dialog, [&] {
            dialog.joinButton->click();
            const QAbstractItemModel& games = *dialog.homeGamesList->model();
            heard = QTest::qWaitFor(
                [&] { return games.rowCount() == 1 && games.index(0, 0).data() == expected; },
                2000);
            EXPECT_FALSE(dialog.homeGamesLabel->isVisible());
            dialog.homeGamesList->setCurrentIndex(games.index(0, 0));
            EXPECT_EQ(dialog.addressEdit->text(), "127.0.0.1");
            EXPECT_EQ(dialog.portSpin->value(), gamePort);
            dialog.cancelButton->click();
        });
        joiner.launcher.Window().alreadyConnectedButton->click();
    };
    LinkDialog& hosting = *host.launcher.forms->link;
    WhenOpened(hosting, [&] {
        hosting.hostButton->click();
        hosting.portSpin->setValue(gamePort);
        EXPECT_TRUE(hosting.homeGamesLabel->isHidden()) << "a host has no one to join";
        hosting.okButton->click();
    });
    host.launcher.Window().alreadyConnectedButton->click();
    EXPECT_TRUE(heard) << "not listed within 2 s";
}

#ifdef MARLOVEN_MEETING_PLACE
// A host lists its cable game at the meeting place for everyone; another launcher's join
// dialog shows it with the round trip to the host, and choosing it joins the game there,
// by the host's code, with no address to try first.
TEST(JoinDialog, ListsTheMeetingPlacesGamesAndChoosingOneJoinsItThereByItsCode) {
    SKIP_WITHOUT_MOSQUITTO();
    TestBroker broker;
    ASSERT_TRUE(broker.Start());
    const HomeNetworkOptions home{FreePort<QUdpSocket>(), {QHostAddress::LocalHost}};
    Player host("Tamsin", home);
    Player joiner("Orrin", home);
    const LinkAddress meetingPlace{"127.0.0.1", broker.Port(), false};
    for (Player* player : {&host, &joiner}) {
        player->launcher.settings.Set(LauncherKey::MeetServer,
                                      QString::fromStdString(ShowLinkAddress(meetingPlace)));
    }
    QString row;
    QString hostCode;
    std::optional<InternetLink> chosen;
    host.system->during = [&] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* window = qobject_cast<LinkWindow*>(widget); window && window->gameCodeLabel) {
                hostCode = window->gameCodeLabel->text().section(' ', -1);
            }
        }
        LinkDialog& dialog = *joiner.launcher.forms->link;
        WhenOpened(dialog, [&] {
            dialog.joinButton->click();
            const QAbstractItemModel& games = *dialog.meetGamesList->model();
            (void)QTest::qWaitFor(
                [&] {
                    return games.rowCount() == 1 && games.index(0, 0).data().toString().contains(
                                                        QRegularExpression(" [0-9]+ ms, "));
                },
                10000);
            row = games.index(0, 0).data().toString();
            dialog.meetGamesList->setCurrentIndex(games.index(0, 0));
            chosen = dialog.Choice();
            dialog.cancelButton->click();
        });
        joiner.launcher.Window().alreadyConnectedButton->click();
    };
    LinkDialog& hosting = *host.launcher.forms->link;
    WhenOpened(hosting, [&] {
        hosting.hostButton->click();
        hosting.portSpin->setValue(FreePort<QTcpServer>());
        EXPECT_TRUE(hosting.listForEveryoneCheck->isVisible());
        hosting.listForEveryoneCheck->setChecked(true);
        hosting.okButton->click();
    });
    host.launcher.Window().alreadyConnectedButton->click();
    EXPECT_TRUE(
        row.contains(QRegularExpression("^Tamsin \\(1 of 2 free\\), [0-9]+ ms, for everyone$")))
        << row.toStdString();
    ASSERT_TRUE(chosen);
    EXPECT_EQ(chosen->side, LinkSide::Join);
    EXPECT_TRUE(chosen->address.host.empty());
    EXPECT_EQ(chosen->meetingPlace, meetingPlace);
    ASSERT_TRUE(chosen->code);
    EXPECT_EQ(QString::fromStdString(ShowGameCode(*chosen->code)), hostCode);
}
#endif

// What cannot be read as "host:port" is refused with the reason and stays for mending;
// what can is written back whole and read again by the next launcher.
TEST(MeetingPlaceOption, ABadServerIsRefusedAndAGoodOneIsKeptForTheNextLauncher) {
    Launcher launcher;
    MeetingPlaceDialog& dialog = *launcher.forms->meetingPlace;
    const auto edit = [&](const std::function<void()>& whileOpen) {
        OpenWhile(
            dialog, [&] { launcher.Window().meetingPlaceAction->trigger(); }, whileOpen);
    };
    edit([&] {
        EXPECT_EQ(dialog.meetServerEdit->text(), "") << "no meeting place until one is named";
        for (const char* bad : {"meet.example.org:0", "meet.example.org:65536", "2001:db8::7",
                                "[2001:db8::7:1883", "meet example.org"}) {
            dialog.meetServerEdit->setText(bad);
            dialog.okButton->click();
            EXPECT_TRUE(dialog.isVisible()) << bad;
        }
        ASSERT_EQ(launcher.prompter.messages.size(), 5);
        EXPECT_TRUE(launcher.prompter.messages[1].startsWith(
            "\"65536\" after the colon is no port. Ports run from 1 to 65535."));
        EXPECT_TRUE(launcher.prompter.messages[2].contains("an IPv6 address in brackets"));
        dialog.meetServerEdit->setText(" [2001:DB8::7]:8883 ");
        dialog.okButton->click();
    });
    EXPECT_EQ(LauncherSettings(launcher.settings.FileName()).Get(LauncherKey::MeetServer),
              "[2001:DB8::7]:8883");
    edit([&] {
        EXPECT_EQ(dialog.meetServerEdit->text(), "[2001:DB8::7]:8883");
        dialog.meetServerEdit->setText("meet.example.org");
        dialog.okButton->click();
    });
    EXPECT_EQ(LauncherSettings(launcher.settings.FileName()).Get(LauncherKey::MeetServer),
              "meet.example.org:1883")
        << "the port the meeting place is reached on when none is named";
}

} // namespace
} // namespace marloven::test
