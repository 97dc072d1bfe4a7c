// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Players whose launchers make their starts as a player would (buttons, the phonebook,
// the link dialog) through the DOS engine and real DOSBox with our DOS stand-ins.

#include "tests/ui/launcher_fixture.h"

#include "core/file_io.h"
#include "core/game_file.h"
#include "launcher/dos_engine.h"
#include "tests/ui/dialog_driver.h"
#include "ui/dialogs/link_dialog.h"
#include "ui/dialogs/link_window.h"
#include "ui/dialogs/phonebook_entry_dialog.h"
#include "ui/dialogs/pick_opponent_dialog.h"
#include "ui/dialogs/players_dialog.h"
#include "ui/main/game_options_page.h"

#include <QCheckBox>
#include <QClipboard>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTcpServer>
#include <QTimer>
#include <QTreeWidget>
#include <QUdpSocket>
#include <gtest/gtest.h>

namespace marloven::test {

namespace fs = std::filesystem;

constexpr int kDosboxBoundMs = 60000;
constexpr int kJoinAfterMs = 2500;

inline bool Has(const std::string& text, const std::string& part) {
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

inline int FreePort(Protocol protocol) {
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
        EXPECT_TRUE(Window().LoadSettings());
        Window().gameOptionsPage->noPredictionCheck->setChecked(true); // "-nopred" for the game
        Window().show();
        WatchLinks({});
    }
    // The link window of each start; a hosting start asks routers as `routers` say, and
    // offers its game on loopback alone: a test's traffic stays on this machine.
    void WatchLinks(const MappingOptions& routers) {
        const HomeNetworkOptions home{kLanGamesPort, {QHostAddress::LocalHost}};
        engine.WatchLinks(
            [this,
             watcher = LinkWindow::Watcher(launcher.settings, launcher.prompter, routers, home)](
                const InternetLink& link, Relay& relay, std::function<void()> cancel) {
                auto shown = watcher(link, relay, std::move(cancel));
                window = static_cast<LinkWindow*>(shown.get());
                return shown;
            });
    }
    ~Player() { Window().hide(); }

    MainWindow& Window() { return launcher.Window(); }
    LinkDialog& Link() { return *launcher.forms->link; }

    // Answers the link dialog that the click opens: host, or join the address.
    void ChooseLink(const std::function<void()>& click, const QString& joinAddress, int port) {
        LinkDialog& dialog = Link();
        WhenOpened(dialog, [&dialog, joinAddress, port] {
            (joinAddress.isEmpty() ? dialog.hostButton : dialog.joinButton)->click();
            dialog.portSpin->setValue(port);
            if (joinAddress.isEmpty()) {
                // What the host tells the others, ready to paste: address and port.
                dialog.copyButton->click();
                EXPECT_TRUE(QGuiApplication::clipboard()->text().contains(QRegularExpression(
                    QString("^[0-9.]+:%1$").arg(port), QRegularExpression::MultilineOption)))
                    << QGuiApplication::clipboard()->text().toStdString();
            }
            dialog.addressEdit->selectAll(); // over what was remembered
            Type(dialog.addressEdit, joinAddress);
            dialog.okButton->click();
        });
        click();
    }

    // The game code that the host's link window shows, ready to be typed when this
    // player's join asks for it.
    void TellCode(const Player& host) {
        EXPECT_TRUE(host.window && host.window->gameCodeLabel);
        launcher.prompter.textAnswers.push_back(
            host.window ? host.window->gameCodeLabel->text().section(' ', 2) : QString());
    }

    // A network start by `button` for `count` players: hosting when this is `host`, else
    // joining it on 127.0.0.1 with the code its window shows.
    void PlayNetwork(QAbstractButton* button, int count, const Player& host, int port) {
        PlayersDialog& players = *launcher.forms->players;
        if (this != &host) {
            TellCode(host);
        }
        ChooseLink(
            [&] {
                WhenOpened(players, [&players, count] { players.CountButton(count)->click(); });
                button->click();
            },
            this == &host ? QString() : QString("127.0.0.1"), port);
    }

    // Dials the number from a new entry of the phonebook, as a player would.
    void DialNewEntry(const QString& name, const QString& number) {
        PickOpponentDialog& phonebook = *launcher.forms->pickOpponent;
        PhonebookEntryDialog& entry = *launcher.forms->phonebookEntry;
        WhenOpened(phonebook, [&] {
            WhenOpened(entry, [&] {
                Type(entry.nameEdit, name);
                Type(entry.numberEdit, number);
                entry.okButton->click();
            });
            phonebook.addEditButton->click();
            phonebook.phoneList->setCurrentItem(phonebook.phoneList->topLevelItem(0));
            phonebook.dialButton->click();
        });
        Window().dialButton->click();
    }

    std::string Log() const {
        return ReadWholeFile(FindGameFile(launcher.dir.Path(), "STANDIN.LOG")).value_or("");
    }

    // The game stays that many seconds (at most 9) once started, its link idle.
    void Linger(int seconds) {
        if (seconds > 0) {
            launcher.dir.Write("STANDIN.LNG", std::to_string(std::min(seconds, 9)));
        }
    }

    KeepingRunner* keeping;      // owned by the engine
    QPointer<LinkWindow> window; // the link window of the start that runs
    DosboxSettings settings;
    DosEngineRunner engine;
    Launcher launcher;
};

// Does `action` once `ready` holds, looking every 20 ms while the event loop runs; after
// `boundMs` it does it anyway, so that a test never hangs on what did not happen.
class WhenReady {
  public:
    WhenReady(std::function<bool()> ready, std::function<void()> action,
              int boundMs = kDosboxBoundMs) {
        clock_.start();
        QObject::connect(&timer_, &QTimer::timeout, [this, ready, action, boundMs] {
            if (ready() || clock_.elapsed() > boundMs) {
                timer_.stop();
                action();
            }
        });
        timer_.start(20);
    }

  private:
    QTimer timer_;
    QElapsedTimer clock_;
};

// What the link window of a player's start says of the path, looked at every 10 ms while
// the event loop runs: how long after the watch began it first named one, what it said
// last, and the shortest round trip it showed.
class PathWatch {
  public:
    explicit PathWatch(const Player& player) {
        clock_.start();
        QObject::connect(&timer_, &QTimer::timeout, [this, &player] {
            const QLabel* label = player.window ? player.window->pathLabel : nullptr;
            if (label == nullptr || label->text().isEmpty()) {
                return;
            }
            if (firstMs < 0) {
                firstMs = clock_.elapsed();
            }
            text_ = label->text();
            const auto trip = QRegularExpression(" round trip ([0-9]+) ms$").match(text_);
            if (trip.hasMatch() &&
                (shortestRoundTripMs < 0 || trip.captured(1).toInt() < shortestRoundTripMs)) {
                shortestRoundTripMs = trip.captured(1).toInt();
            }
        });
        timer_.start(10);
    }
    std::string Text() const { return text_.toStdString(); }

    qint64 firstMs = -1;
    int shortestRoundTripMs = -1;

  private:
    QTimer timer_;
    QElapsedTimer clock_;
    QString text_;
};

// Whether the start's link window shows what the router answered.
inline bool RouterAnswered(const Player& player) {
    return player.window && player.window->routerLabel &&
           !player.window->routerLabel->text().startsWith("Asking");
}

// The router's answer as the start's window shows it; a start whose window never
// showed one is cancelled, so that the test goes on to fail.
inline std::optional<QString> RouterAnswerOrCancel(const Player& player) {
    if (RouterAnswered(player)) {
        return player.window->routerLabel->text();
    }
    if (player.window) {
        player.window->cancelButton->click();
    }
    return std::nullopt;
}

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

} // namespace marloven::test
