// SPDX-License-Identifier: GPL-3.0-or-later
// Launchers on this machine play each other over the loopback addresses. Each one makes
// its start as a player would (buttons, the phonebook, the link dialog); its DOS engine
// opens the link it carries, writes the DOSBox configuration and COMMIT.DAT, and runs
// DOSBox with our DOS COMMIT.EXE, which brings up the link COMMIT.DAT describes,
// exchanges a line with the others and starts the game. The host starts first; the
// others start while it waits, as players on other machines would. Every log must show
// the others' lines and the game started.

#include "tests/ui/launcher_fixture.h"

#include "core/file_io.h"
#include "core/game_file.h"
#include "launcher/dos_engine.h"
#include "launcher/start_plan.h"
#include "tests/support/deaf_host.h"
#include "tests/ui/dialog_driver.h"
#include "ui/dialogs/link_dialog.h"
#include "ui/dialogs/link_window.h"
#include "ui/dialogs/phonebook_entry_dialog.h"
#include "ui/dialogs/pick_opponent_dialog.h"
#include "ui/dialogs/players_dialog.h"
#include "ui/main/game_options_page.h"
#include "ui/main/modem_page.h"

#include <QCheckBox>
#include <QClipboard>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
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

namespace fs = std::filesystem;

constexpr int kDosboxBoundMs = 60000;
constexpr int kJoinAfterMs = 2500;

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// Keeps what the DOS engine hands the system (DOSBox and its configuration) instead of
// starting it, so that two starts can then run side by side.
class KeepingRunner : public ProgramRunner {
  public:
    RunResult Run(const CommandLine& command) override {
        ++starts;
        // "-conf" ours, "-conf" the player's: ours lives only while the start runs.
        configuration = ReadWholeFile(command.arguments.at(1)).value_or("");
        arguments = command.arguments;
        program = command.program;
        return RunOutcome::Ended;
    }

    int starts = 0;
    std::string program;
    std::vector<std::string> arguments;
    std::string configuration;
};

enum class Protocol { Tcp, Udp };

int FreePort(Protocol protocol) {
    if (protocol == Protocol::Tcp) {
        QTcpServer server;
        return server.listen(QHostAddress::LocalHost, 0) ? server.serverPort() : 0;
    }
    QUdpSocket socket;
    return socket.bind(QHostAddress::LocalHost, 0) ? socket.localPort() : 0;
}

// One player: a launcher over its own game directory with the DOS stand-ins, whose
// starts go through the DOS engine.
struct Player {
    // keep: the engine hands DOSBox to a runner that only keeps what it was given.
    explicit Player(const DosboxSettings& dosbox, bool keep = false)
        : keeping(keep ? new KeepingRunner : nullptr), settings(dosbox),
          engine(keep ? std::unique_ptr<ProgramRunner>(keeping) : MakeSystemProgramRunner(),
                 [this] { return settings; }),
          launcher({{"VK.CFG", "ComPort = 2\r\nInitString = \"ATZ\"\r\n"
                               "DialOutString = \"ATDT\"\r\nUsePred = 1\r\n"}},
                   nullptr, &engine) {
        for (const char* name : {"VK.EXE", "COMMIT.EXE", "VKSETMS.EXE"}) {
            fs::copy_file(fs::path(DOS_STANDIN_DIR) / name, launcher.dir / name);
        }
        EXPECT_TRUE(Main().LoadSettings());
        Main().GameOptionsPage->NetPred->setChecked(true); // "-nopred" for the game
        Main().show();
        engine.WatchLinks([this](Relay& relay, std::function<void()> cancel) {
            auto shown = LinkWindow::Open(relay, std::move(cancel));
            window = static_cast<LinkWindow*>(shown.get());
            return shown;
        });
    }
    ~Player() { Main().hide(); }

    TMain& Main() { return launcher.Main(); }
    LinkDialog& Link() { return *launcher.forms->Link; }

    // Answers the link dialog that the click opens: host, or join the address.
    void ChooseLink(const std::function<void()>& click, const QString& joinAddress, int port) {
        LinkDialog& dialog = Link();
        WhenOpened(dialog, [&dialog, joinAddress, port] {
            (joinAddress.isEmpty() ? dialog.HostButton : dialog.JoinButton)->click();
            dialog.Port->setValue(port);
            if (joinAddress.isEmpty()) {
                // What the host tells the others, ready to paste: address and port.
                dialog.CopyButton->click();
                EXPECT_TRUE(QGuiApplication::clipboard()->text().contains(QRegularExpression(
                    QString("^[0-9.]+:%1$").arg(port), QRegularExpression::MultilineOption)))
                    << QGuiApplication::clipboard()->text().toStdString();
            }
            dialog.Address->selectAll(); // over what was remembered
            Type(dialog.Address, joinAddress);
            dialog.OKButton->click();
        });
        click();
    }

    std::string Log() const {
        return ReadWholeFile(FindGameFile(launcher.dir.Path(), "STANDIN.LOG")).value_or("");
    }

    KeepingRunner* keeping;      // owned by the engine
    QPointer<LinkWindow> window; // the link window of the start that runs
    DosboxSettings settings;
    DosEngineRunner engine;
    Launcher launcher;
};

class InternetPlay : public testing::Test {
  protected:
    void SetUp() override {
        dosbox_ = FindDosbox({});
        if (dosbox_.empty() || !fs::exists(fs::path(DOS_STANDIN_DIR) / "COMMIT.EXE")) {
            GTEST_SKIP() << "needs DOSBox and the DOS stand-ins (nasm)";
        }
        qputenv("SDL_VIDEODRIVER", "dummy");
        qputenv("SDL_AUDIODRIVER", "dummy");
        scratch_.Write("headless.conf", "[sdl]\noutput=surface\n[mixer]\nnosound=true\n");
        settings_.dosboxPath = dosbox_;
        settings_.use = DosboxUse::Always;
        settings_.playersConfiguration = (scratch_ / "headless.conf").string();
        host_ = std::make_unique<Player>(settings_);
        guest_ = std::make_unique<Player>(settings_);
    }

    // The host's start, and while it waits, the others' each a little later, as the
    // host's DOSBox must be up first; every start ends by itself when the game ran.
    static void PlayTogether(const std::vector<std::function<void()>>& starts) {
        for (std::size_t i = 1; i < starts.size(); ++i) {
            QTimer::singleShot(static_cast<int>(i) * kJoinAfterMs, starts[i]);
        }
        QElapsedTimer clock;
        clock.start();
        starts.front()();
        EXPECT_LT(clock.elapsed(), kDosboxBoundMs);
    }
    void TearDown() override {
        qunsetenv("SDL_VIDEODRIVER");
        qunsetenv("SDL_AUDIODRIVER");
    }

    // The driver's record on one side: the other side's line came, the link is up
    // and the game started with the driver's switches.
    static void ExpectLinked(const std::string& log, const std::string& peer) {
        EXPECT_TRUE(Has(log, "\r\npeer LINK " + peer)) << log;
        EXPECT_TRUE(Has(log, "\r\nlink up\r\nstarts VK.EXE -nopred\r\nend\r\n"
                             "start VK.EXE\r\ntail  -nopred\r\nend\r\n"))
            << log;
    }

    std::string dosbox_;
    GameDir scratch_;
    DosboxSettings settings_;
    std::unique_ptr<Player> host_;
    std::unique_ptr<Player> guest_;
};

// The dialog is reused: a Cancel clicked with the mouse keeps the focus, and must not
// leave Cancel answering Enter at the next opening.
TEST(LinkDialog, AfterACancelClickEnterStillAcceptsTheNextOpening) {
    LinkDialog dialog;
    InternetLink link;
    link.mode = LaunchMode::AlreadyConnected;
    dialog.Prepare(link, {});
    ExecWhile(dialog, [&] { QTest::mouseClick(dialog.CancelButton, Qt::LeftButton); });
    dialog.Prepare(link, {});
    const int result = ExecWhile(dialog, [&] {
        ASSERT_NE(dialog.focusWidget(), nullptr);
        QTest::keyClick(dialog.focusWidget(), Qt::Key_Return);
    });
    EXPECT_EQ(result, QDialog::Accepted);
}

// The two launchers call each other over ::1: the caller's launcher places the call
// its phonebook names, its driver dials the launcher's own end.
TEST_F(InternetPlay, AModemCallOverIpv6ToTheAnsweringMachineCarriesTheGame) {
    const int port = FreePort(Protocol::Tcp);
    // The answering player has the mouse tweak on: helper, driver and game run in one DOSBox.
    host_->Main().GameOptionsPage->SetMouse->click();
    Player& caller = *guest_;
    TDial& phonebook = *caller.launcher.forms->Dial;
    TEditInfo& entry = *caller.launcher.forms->EditInfo;
    const QString number = QString("[::1]:%1").arg(port);
    PlayTogether(
        {[&] { host_->ChooseLink([&] { host_->Main().AnswerButton->click(); }, {}, port); },
         [&] {
             WhenOpened(phonebook, [&] {
                 WhenOpened(entry, [&] {
                     Type(entry.Name, "Friend");
                     Type(entry.Number, number);
                     entry.OKButton->click();
                 });
                 phonebook.AddEditButton->click();
                 phonebook.PhoneList->setCurrentItem(phonebook.PhoneList->topLevelItem(0));
                 phonebook.DialButton->click();
             });
             caller.Main().DialButton->click();
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

TEST_F(InternetPlay, TheNullModemJoinerReachesTheHostAtTheAddressItWasTold) {
    const int port = FreePort(Protocol::Tcp);
    // The host's list shows "address:port"; the joining player pastes that whole.
    PlayTogether(
        {[&] { host_->ChooseLink([&] { host_->Main().AlreadyButton->click(); }, {}, port); },
         [&] {
             guest_->ChooseLink([&] { guest_->Main().AlreadyButton->click(); },
                                QString("127.0.0.1:%1").arg(port), 1);
         }});
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
        starts.push_back([player, port, host = host_.get()] {
            TNetNoPlayers& players = *player->launcher.forms->NetNoPlayers;
            player->ChooseLink(
                [&] {
                    WhenOpened(players, [&players] { players.CountButton(3)->click(); });
                    player->Main().KaliButton->click();
                },
                player == host ? QString() : QString("127.0.0.1"), port);
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
    TNetNoPlayers& players = *guest_->launcher.forms->NetNoPlayers;
    guest_->ChooseLink(
        [&] {
            WhenOpened(players, [&players] { players.CountButton(3)->click(); });
            guest_->Main().NetworkButton->click();
        },
        "10.0.0.2", 5555);
    host_->ChooseLink([this] { host_->Main().AnswerButton->click(); }, {}, 6666);

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

TEST_F(InternetPlay, AComPortThatDosboxLacksStopsTheStartBeforeAnythingIsWritten) {
    host_ = std::make_unique<Player>(settings_, true);
    TMain& main = host_->Main();
    Choose(main.ModemPage->ComPort, 8); // "User Defined"
    main.AnswerButton->click();
    Choose(main.ModemPage->ComPort, 4); // COM5
    main.AlreadyButton->click();
    EXPECT_EQ(host_->launcher.prompter.messages.size(), 2);
    EXPECT_TRUE(host_->launcher.prompter.messages.front().contains("COM1 to COM4"));
    EXPECT_EQ(host_->keeping->starts, 0);
    EXPECT_FALSE(host_->launcher.dir.Exists("COMMIT.DAT"));
    EXPECT_TRUE(main.isVisible());
}

TEST_F(InternetPlay, HostingOnAPortInUseIsRefusedBeforeAnythingStarts) {
    QTcpServer other;
    ASSERT_TRUE(other.listen(QHostAddress::Any, 0));
    host_->ChooseLink([&] { host_->Main().AnswerButton->click(); }, {}, other.serverPort());
    ASSERT_EQ(host_->launcher.prompter.messages.size(), 1);
    EXPECT_TRUE(host_->launcher.prompter.messages[0].contains(
        QString("The port %1 is in use").arg(other.serverPort())));
    EXPECT_EQ(host_->Log(), "");
    EXPECT_TRUE(host_->Main().isVisible());
}

// Each call the driver makes is refused; once it gives up, the player is told why.
TEST_F(InternetPlay, ACallToAPortNobodyHoldsEndsWithTheCause) {
    const int port = FreePort(Protocol::Tcp);
    Player& caller = *guest_;
    TDial& phonebook = *caller.launcher.forms->Dial;
    WhenOpened(phonebook, [&] {
        WhenOpened(*caller.launcher.forms->EditInfo, [&] {
            TEditInfo& entry = *caller.launcher.forms->EditInfo;
            Type(entry.Name, "Nobody");
            Type(entry.Number, QString("127.0.0.1:%1").arg(port));
            entry.OKButton->click();
        });
        phonebook.AddEditButton->click();
        phonebook.PhoneList->setCurrentItem(phonebook.PhoneList->topLevelItem(0));
        phonebook.DialButton->click();
    });
    caller.Main().DialButton->click();
    EXPECT_EQ(caller.launcher.prompter.messages,
              QStringList{QString("Could not reach 127.0.0.1:%1: refused. Nothing takes the link "
                                  "on that port there; check that the other player is hosting "
                                  "and the port is right.")
                              .arg(port)});
    EXPECT_TRUE(Has(caller.Log(), "got NO CARRIER")) << caller.Log();
    EXPECT_TRUE(caller.Main().isVisible());
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
        guest_->ChooseLink([&] { guest_->Main().AlreadyButton->click(); }, address, 1);
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
        EXPECT_TRUE(guest_->window->Progress->text().startsWith("Joining " + address + " ... "));
        sinceCancel.start();
        QTest::keyClick(guest_->window, Qt::Key_Escape);
    });
    join();
    EXPECT_LT(sinceCancel.elapsed(), 2000);
    RecordProperty("back_after_cancel_ms", static_cast<int>(sinceCancel.elapsed()));
    EXPECT_TRUE(guest_->Main().isVisible());
    EXPECT_TRUE(guest_->launcher.prompter.messages.isEmpty());
}

// DOSBox that ends with an error, crashes, or says "Exit to error" and ends with 0: the
// player is told why, with DOSBox's last lines, and no demo is offered for saving.
TEST_F(InternetPlay, DosboxsOwnFailuresAreToldAndNoDemoIsOffered) {
    const struct {
        const char* script;
        const char* told;
    } cases[] = {
        {"echo \"Exit to error: Can't init SDL\"; exit 0",
         "DOSBox stopped with an error: Can't init SDL"},
        {"echo starting; exit 1", "DOSBox ended with code 1."},
        {"kill -SEGV $$", "DOSBox crashed."},
    };
    Player& player = *host_;
    player.Main().GameOptionsPage->RecordDemo->setChecked(true);
    for (const auto& [script, told] : cases) {
        scratch_.Write("dosbox.sh", std::string("#!/bin/sh\n") + script + "\n");
        fs::permissions(scratch_ / "dosbox.sh", fs::perms::owner_exec, fs::perm_options::add);
        player.settings.dosboxPath = (scratch_ / "dosbox.sh").string();
        player.launcher.prompter.messages.clear();
        player.Main().SingleButton->click();
        ASSERT_EQ(player.launcher.prompter.messages.size(), 1) << script;
        EXPECT_TRUE(player.launcher.prompter.messages[0].startsWith(told))
            << player.launcher.prompter.messages[0].toStdString();
        EXPECT_TRUE(player.launcher.prompter.saveRequests.empty());
        EXPECT_TRUE(player.Main().isVisible());
    }
}

} // namespace
} // namespace marloven::test
