// SPDX-License-Identifier: GPL-3.0-or-later
// Two launchers on this machine play each other over the loopback address. Each one
// makes its start as a player would (buttons, the phonebook, the link dialog); its DOS
// engine writes the DOSBox configuration and COMMIT.DAT, and then the two DOSBox
// instances run side by side, the host first, each with our DOS COMMIT.EXE, which
// brings up the link COMMIT.DAT describes, exchanges a line with the other side and
// starts the game. Both logs must show the other side's line and the game started.

#include "tests/ui/launcher_fixture.h"

#include "core/file_io.h"
#include "core/game_file.h"
#include "launcher/dos_engine.h"
#include "launcher/start_plan.h"
#include "tests/ui/dialog_driver.h"
#include "ui/dialogs/link_dialog.h"
#include "ui/dialogs/phonebook_entry_dialog.h"
#include "ui/dialogs/pick_opponent_dialog.h"
#include "ui/dialogs/players_dialog.h"
#include "ui/main/game_options_page.h"
#include "ui/main/modem_page.h"

#include <QCheckBox>
#include <QClipboard>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTcpServer>
#include <QTest>
#include <QThread>
#include <QTreeWidget>
#include <QUdpSocket>
#include <gtest/gtest.h>
#include <sstream>

namespace marloven::test {
namespace {

namespace fs = std::filesystem;

constexpr int kDosboxBoundMs = 60000;
constexpr int kListenBoundMs = 20000;

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

// Whether some program listens on the port: it cannot be claimed then.
bool Listening(Protocol protocol, int port) {
    const auto number = static_cast<quint16>(port);
    if (protocol == Protocol::Tcp) {
        QTcpServer probe;
        return !probe.listen(QHostAddress::Any, number);
    }
    QUdpSocket probe;
    return !probe.bind(QHostAddress::Any, number, QUdpSocket::DontShareAddress);
}

// One player: a launcher over its own game directory with the DOS stand-ins, whose
// starts go through the DOS engine.
struct Player {
    explicit Player(const DosboxSettings& dosbox)
        : settings(dosbox),
          engine(std::unique_ptr<ProgramRunner>(keeping), [this] { return settings; }),
          launcher({{"VK.CFG", "ComPort = 2\r\nInitString = \"ATZ\"\r\n"
                               "DialOutString = \"ATDT\"\r\nUsePred = 1\r\n"}},
                   nullptr, &engine) {
        for (const char* name : {"VK.EXE", "COMMIT.EXE", "VKSETMS.EXE"}) {
            fs::copy_file(fs::path(DOS_STANDIN_DIR) / name, launcher.dir / name);
        }
        EXPECT_TRUE(Main().LoadSettings());
        Main().GameOptionsPage->NetPred->setChecked(true); // "-nopred" for the game
        Main().show();
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

    // DOSBox as the engine would have started it, with the configuration it wrote.
    std::unique_ptr<QProcess> StartDosbox(const GameDir& scratch, const std::string& name) {
        scratch.Write(name, keeping->configuration);
        QStringList arguments;
        for (const std::string& argument : keeping->arguments) {
            arguments << QString::fromStdString(argument);
        }
        arguments[1] = QString::fromStdString((scratch / name).string());
        auto process = std::make_unique<QProcess>();
        process->setWorkingDirectory(QString::fromStdString(launcher.dir.Path().string()));
        process->start(QString::fromStdString(keeping->program), arguments);
        return process;
    }

    std::string Log() const {
        return ReadWholeFile(FindGameFile(launcher.dir.Path(), "STANDIN.LOG")).value_or("");
    }

    KeepingRunner* keeping = new KeepingRunner; // owned by the engine
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
    void TearDown() override {
        qunsetenv("SDL_VIDEODRIVER");
        qunsetenv("SDL_AUDIODRIVER");
    }

    // Runs the host's DOSBox, then, once it listens on the port, the guest's; both end
    // by themselves when the game (the stand-in VK.EXE) has run.
    void PlaySideBySide(Protocol protocol, int port) {
        ASSERT_EQ(host_->keeping->starts, 1);
        ASSERT_EQ(guest_->keeping->starts, 1);
        const auto host = host_->StartDosbox(scratch_, "host.conf");
        QElapsedTimer waited;
        waited.start();
        while (!Listening(protocol, port) && waited.elapsed() < kListenBoundMs) {
            QThread::msleep(50);
        }
        const auto guest = guest_->StartDosbox(scratch_, "guest.conf");
        for (QProcess* process : {host.get(), guest.get()}) {
            if (!process->waitForFinished(kDosboxBoundMs)) {
                ADD_FAILURE() << "DOSBox did not end in time";
                process->kill();
                process->waitForFinished();
            }
        }
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

TEST_F(InternetPlay, AModemCallToTheAnsweringMachineCarriesTheGame) {
    const int port = FreePort(Protocol::Tcp);
    // The answering player has the mouse tweak on: helper, driver and game run in one DOSBox.
    host_->Main().GameOptionsPage->SetMouse->click();
    host_->ChooseLink([this] { host_->Main().AnswerButton->click(); }, {}, port);
    EXPECT_TRUE(Has(host_->keeping->configuration,
                    "serial2=modem listenport:" + std::to_string(port) + "\n"));

    // The caller puts the answering machine's address into the phonebook, as typed.
    Player& caller = *guest_;
    TDial& phonebook = *caller.launcher.forms->Dial;
    TEditInfo& entry = *caller.launcher.forms->EditInfo;
    const QString number = QString("127.0.0.1:%1").arg(port);
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
    EXPECT_EQ(caller.launcher.dir.Read("MARLOVEN.PBK").substr(41, 1 + number.size()),
              char(number.size()) + number.toStdString());
    EXPECT_TRUE(Has(caller.launcher.dir.Read("COMMIT.DAT"),
                    "PHONENUMBER = \"ATDT" + number.toStdString() + "\"\r\n"));

    PlaySideBySide(Protocol::Tcp, port);
    const std::string answered = host_->Log();
    EXPECT_EQ(
        answered.rfind("start VKSETMS.EXE\r\ntail  -nopred\r\nstarts COMMIT.EXE -nopred\r\nend\r\n"
                       "start COMMIT.EXE\r\ntail  -nopred\r\n",
                       0),
        0u)
        << answered;
    EXPECT_TRUE(Has(host_->launcher.dir.Read("COMMIT.DAT"), "CONNECTTYPE = 1\r\n"));
    ExpectLinked(answered, "dial");
    ExpectLinked(caller.Log(), "answer");
}

TEST_F(InternetPlay, TheNullModemJoinerReachesTheHostAtTheAddressItWasTold) {
    const int port = FreePort(Protocol::Tcp);
    host_->ChooseLink([this] { host_->Main().AlreadyButton->click(); }, {}, port);
    // The host's list shows "address:port"; the joining player pastes that whole.
    guest_->ChooseLink([this] { guest_->Main().AlreadyButton->click(); },
                       QString("127.0.0.1:%1").arg(port), 1);
    ASSERT_TRUE(Has(guest_->keeping->configuration,
                    "serial2=nullmodem server:127.0.0.1 port:" + std::to_string(port) + "\n"))
        << guest_->keeping->configuration;

    PlaySideBySide(Protocol::Tcp, port);
    ExpectLinked(host_->Log(), "already");
    ExpectLinked(guest_->Log(), "already");
}

TEST_F(InternetPlay, NetworkPlayersMeetThroughTheHostsIpxTunnel) {
    const int port = FreePort(Protocol::Udp);
    for (Player* player : {host_.get(), guest_.get()}) {
        TNetNoPlayers& players = *player->launcher.forms->NetNoPlayers;
        const QString join = player == host_.get() ? QString() : QString("127.0.0.1");
        player->ChooseLink(
            [&] {
                WhenOpened(players, [&players] { players.CountButton(2)->click(); });
                player->Main().KaliButton->click();
            },
            join, port);
    }
    EXPECT_TRUE(Has(guest_->keeping->configuration,
                    "ipxnet connect 127.0.0.1 " + std::to_string(port) + "\n"));

    PlaySideBySide(Protocol::Udp, port);
    ExpectLinked(host_->Log(), "network");
    ExpectLinked(guest_->Log(), "network");
}

TEST_F(InternetPlay, ThePrintedStartShowsTheLinkLastChosen) {
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
    EXPECT_TRUE(Has(network.str(), "ipxnet connect 10.0.0.2 5555\nCOMMIT.EXE")) << network.str();
    // VK.CFG's ComPort = 2.
    EXPECT_TRUE(Has(answer.str(), "serial2=modem listenport:6666\n")) << answer.str();
}

TEST_F(InternetPlay, AComPortThatDosboxLacksStopsTheStartBeforeAnythingIsWritten) {
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

} // namespace
} // namespace marloven::test
