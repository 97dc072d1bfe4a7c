// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/ui/launcher_fixture.h"

#include "core/file_io.h"
#include "launcher/dos_engine.h"
#include "launcher/launcher_settings.h"
#include "tests/support/write_failure.h"
#include "ui/dialogs/about_box.h"
#include "ui/dialogs/config_viewer.h"
#include "ui/dialogs/macro_dialog.h"
#include "ui/dialogs/phonebook_entry_dialog.h"
#include "ui/dialogs/pick_opponent_dialog.h"
#include "ui/dialogs/players_dialog.h"
#include "ui/dialogs/select_modem_dialog.h"
#include "ui/main/game_options_page.h"

#include <QApplication>

#include <QCheckBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <vector>

namespace marloven::test {
namespace {

const QString kSetupQuestion =
    "Velkaran's Configuration file was not found.  Do you wish to run setup?";
const QString kSaveQuestion = "Would you like to save the current settings?";

TEST(StartupChecks, RunsSetupUntilItLeavesAConfigurationBehind) {
    Launcher launcher({{"SETUP.EXE", ""}});
    CurrentDirectory inGame(launcher.dir.Path());
    int setupRuns = 0;
    launcher.runner.whileRunning = [&](const GameStart&) {
        // The first run of setup gives up; the second writes the file.
        if (++setupRuns == 2) {
            launcher.dir.Write("VK.CFG", "PlayerName = \"New\"\r\n");
        }
    };
    launcher.prompter.yesNoAnswers = {true, true};
    ASSERT_TRUE(StartLauncher(launcher.context, *launcher.forms));

    EXPECT_EQ(launcher.prompter.questions, QStringList({kSetupQuestion, kSetupQuestion}));
    ASSERT_EQ(launcher.runner.runs.size(), 2u);
    EXPECT_EQ(launcher.runner.runs[0].arguments, "");
    EXPECT_EQ(launcher.runner.runs[0].directory, launcher.dir.Path().string());
    EXPECT_EQ(launcher.context.startDir, std::filesystem::current_path());
    EXPECT_EQ(launcher.Window().playerNameEdit->text(), "New");
    EXPECT_TRUE(launcher.Window().isVisible());
    // The start-up sound comes once the window has painted.
    EXPECT_TRUE(launcher.sound.asyncRequests.empty());
    for (int turn = 0; turn < 100 && launcher.sound.asyncRequests.empty(); ++turn) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    EXPECT_EQ(launcher.sound.asyncRequests, std::vector<std::string>{"SOUNDS.WAV"});
    launcher.Window().hide();
}

TEST(StartupChecks, DecliningSetupStopsWithNothingSavedOrPlayed) {
    // SETUP.EXE is missing: the runner reports it and the question comes again.
    Launcher launcher;
    CurrentDirectory inGame(launcher.dir.Path());
    launcher.prompter.yesNoAnswers = {true, false};
    EXPECT_FALSE(StartLauncher(launcher.context, *launcher.forms));
    EXPECT_EQ(launcher.prompter.questions.size(), 2);
    EXPECT_EQ(launcher.prompter.messages, QStringList({"SETUP.EXE was not found!"}));
    EXPECT_TRUE(launcher.runner.runs.empty());
    EXPECT_TRUE(launcher.sound.requested.empty());
    EXPECT_FALSE(launcher.dir.Exists("VK.CFG"));
    EXPECT_FALSE(launcher.Window().isVisible());
}

// A launcher killed while saving a 20 MB VK.CFG left its temporary file; the next start
// removes it, and leaves the temporary file of a launcher still saving.
TEST(StartupChecks, TheTemporaryFileOfAKilledSaveGoesAtTheNextStart) {
    const std::string saving =
        "VK.CFG.~" + std::to_string(QCoreApplication::applicationPid()) + "-00c0ffee.tmp";
    Launcher launcher({{"VK.CFG", "PlayerName = \"Ann\"\r\n"},
                       {"VK.CFG.~2147483600-5eed0001.tmp", "PlayerName = \"half"},
                       {saving, "PlayerName"}});
    CurrentDirectory inGame(launcher.dir.Path());
    ASSERT_TRUE(StartupChecks(launcher.context, *launcher.forms));
    EXPECT_FALSE(launcher.dir.Exists("VK.CFG.~2147483600-5eed0001.tmp"));
    EXPECT_TRUE(launcher.dir.Exists(saving));
}

TEST(StartupChecks, AFolderNamedLikeTheConfigurationDoesNotCount) {
    Launcher launcher({{"VK.CFG/inside", ""}});
    CurrentDirectory inGame(launcher.dir.Path());
    launcher.prompter.yesNoAnswers = {false};
    EXPECT_FALSE(StartupChecks(launcher.context, *launcher.forms));
}

TEST(Forms, AllExistHiddenUntilTheLauncherShowsThem) {
    Launcher launcher;
    const Forms& forms = *launcher.forms;
    const QWidget* const all[] = {forms.mainWindow.get(),  forms.selectModem.get(),
                                  forms.players.get(),     forms.configViewer.get(),
                                  forms.aboutBox.get(),    forms.phonebookEntry.get(),
                                  forms.macroDialog.get(), forms.pickOpponent.get()};
    for (const QWidget* form : all) {
        ASSERT_NE(form, nullptr);
        EXPECT_FALSE(form->isVisible());
    }
}

// Notes what the player sees while the farewell sound plays.
struct FarewellProbe : SoundPlayer {
    const Forms* forms = nullptr;
    std::vector<std::string> syncSounds;
    bool mainVisible = true;
    bool aboutVisible = false;
    bool okVisible = true;

    void PlayAsync(const std::string&) override {}
    void PlaySync(const std::string& fileName) override {
        syncSounds.push_back(fileName);
        mainVisible = forms->mainWindow->isVisible();
        aboutVisible = forms->aboutBox->isVisible();
        okVisible = forms->aboutBox->okButton->isVisible();
    }
};

class ExitSequence : public ::testing::Test {
  protected:
    FarewellProbe farewell;
    // Line feeds alone: a rewrite turns them into CR LF, so any write shows.
    Launcher launcher{GameDir::Files{{"VK.CFG", "PlayerName = \"Old\"\nNetColor = 2\n"}},
                      &farewell};

    void SetUp() override {
        farewell.forms = launcher.forms.get();
        ASSERT_TRUE(launcher.Window().LoadSettings());
        launcher.Window().show();
        launcher.Window().playerNameEdit->setText("Changed");
    }
};

TEST_F(ExitSequence, NoLeavesTheFileAloneAndSaysGoodbyeFromTheAboutBox) {
    launcher.prompter.yesNoAnswers = {false};
    launcher.Window().exitButton->click();
    EXPECT_EQ(launcher.prompter.questions, QStringList({kSaveQuestion}));
    EXPECT_EQ(launcher.dir.Read("VK.CFG"), "PlayerName = \"Old\"\nNetColor = 2\n");
    EXPECT_EQ(farewell.syncSounds, std::vector<std::string>{"SOUNDD.WAV"});
    EXPECT_FALSE(farewell.mainVisible);
    EXPECT_TRUE(farewell.aboutVisible);
    EXPECT_FALSE(farewell.okVisible);
    EXPECT_FALSE(launcher.Window().isVisible());
    EXPECT_FALSE(launcher.forms->aboutBox->isVisible());
}

TEST_F(ExitSequence, YesRewritesTheFileEvenWhenNothingChanged) {
    launcher.prompter.yesNoAnswers = {true};
    launcher.Window().playerNameEdit->setText("Old");
    launcher.Window().exitAction->trigger();
    EXPECT_EQ(launcher.dir.Read("VK.CFG"), "PlayerName = \"Old\"\r\nNetColor = 2\r\n");
    EXPECT_FALSE(launcher.Window().isVisible());
}

TEST_F(ExitSequence, AFailedSaveKeepsTheWindowOpenWithoutFarewell) {
    launcher.prompter.yesNoAnswers = {true, true};
    {
        WriteFailureForTesting diskFull(std::make_error_code(std::errc::no_space_on_device));
        EXPECT_FALSE(launcher.Window().close());
    }
    ASSERT_EQ(launcher.prompter.errors.size(), 1);
    EXPECT_TRUE(launcher.prompter.errors.front().startsWith("Cannot create file "));
    EXPECT_TRUE(launcher.prompter.errors.front().endsWith("VK.CFG"));
    EXPECT_TRUE(launcher.Window().isVisible());
    EXPECT_EQ(launcher.Window().playerNameEdit->text(), "Changed");
    EXPECT_TRUE(farewell.syncSounds.empty());
    EXPECT_FALSE(launcher.forms->aboutBox->isVisible());
    EXPECT_EQ(launcher.dir.Read("VK.CFG"), "PlayerName = \"Old\"\nNetColor = 2\n");

    // The player tries again once there is room.
    EXPECT_TRUE(launcher.Window().close());
    EXPECT_EQ(launcher.dir.Read("VK.CFG"), "PlayerName = \"Changed\"\r\nNetColor = 2\r\n");
}

class SetupFromTheMenu : public ::testing::Test {
  protected:
    Launcher launcher{GameDir::Files{{"VK.CFG", "PlayerName = \"Old\"\r\n"}, {"SETUP.EXE", ""}}};

    void SetUp() override {
        ASSERT_TRUE(launcher.Window().LoadSettings());
        launcher.Window().playerNameEdit->setText("Mine");
    }
};

TEST_F(SetupFromTheMenu, SavesRunsSetupAndShowsWhatItWrote) {
    std::string seenBySetup;
    launcher.runner.whileRunning = [&](const GameStart& command) {
        seenBySetup = launcher.dir.Read("VK.CFG");
        EXPECT_EQ(command.program, (launcher.dir / "SETUP.EXE").string());
        launcher.dir.Write("VK.CFG", "PlayerName = \"FromSetup\"\r\nNetColor = 4\r\n");
    };
    launcher.Window().runSetupAction->trigger();
    EXPECT_EQ(seenBySetup, "PlayerName = \"Mine\"\r\n");
    EXPECT_EQ(launcher.Window().playerNameEdit->text(), "FromSetup");
    EXPECT_EQ(launcher.Window().playerColorCombo->currentText(), "Yellow");
    EXPECT_TRUE(launcher.sound.requested.empty());
}

TEST_F(SetupFromTheMenu, AFailedSaveRunsNothing) {
    WriteFailureForTesting denied(std::make_error_code(std::errc::permission_denied));
    launcher.Window().runSetupAction->trigger();
    EXPECT_TRUE(launcher.runner.runs.empty());
    EXPECT_EQ(launcher.prompter.errors.size(), 1);
    EXPECT_EQ(launcher.Window().playerNameEdit->text(), "Mine");
}

TEST_F(SetupFromTheMenu, AConfigurationRemovedBySetupKeepsControlsAndStore) {
    launcher.runner.whileRunning = [&](const GameStart&) {
        std::filesystem::remove(launcher.dir / "VK.CFG");
    };
    launcher.Window().runSetupAction->trigger();
    ASSERT_EQ(launcher.prompter.errors.size(), 1);
    EXPECT_TRUE(launcher.prompter.errors.front().startsWith("Cannot open file "));
    EXPECT_EQ(launcher.Window().playerNameEdit->text(), "Mine");
    EXPECT_EQ(launcher.LineOf("PlayerName"), "PlayerName = \"Mine\"");
}

TEST(OpenGameDirectory, OffersToSaveAndTurnsOnlyToAFolderThatHoldsTheGame) {
    Launcher launcher({{"VK.CFG", "PlayerName = \"Old\"\r\n"}});
    std::vector<std::filesystem::path> opened;
    launcher.context.openGameDirectory = [&](const std::filesystem::path& directory) {
        opened.push_back(directory);
    };
    ASSERT_TRUE(launcher.Window().LoadSettings());
    launcher.Window().playerNameEdit->setText("Mine");
    GameDir notGame({{"VK.CFG", ""}});
    GameDir other({{"VK.EXE", ""}});
    const auto answer = [](const GameDir& dir) {
        return QString::fromStdString(dir.Path().string());
    };

    // A save that fails keeps the player with the unsaved settings.
    {
        WriteFailureForTesting denied(std::make_error_code(std::errc::no_space_on_device));
        launcher.prompter.folderAnswers = {answer(other)};
        launcher.prompter.yesNoAnswers = {true};
        launcher.Window().openGameDirectoryAction->trigger();
    }
    EXPECT_TRUE(opened.empty());
    EXPECT_EQ(launcher.prompter.errors.size(), 1);

    // A folder without VK.EXE is refused and the question comes again.
    launcher.prompter.folderAnswers = {answer(notGame), answer(other)};
    launcher.prompter.yesNoAnswers = {true};
    launcher.Window().openGameDirectoryAction->trigger();
    EXPECT_EQ(opened, std::vector<std::filesystem::path>{other.Path()});
    EXPECT_EQ(launcher.prompter.errors.size(), 2);
    EXPECT_EQ(launcher.dir.Read("VK.CFG"), "PlayerName = \"Mine\"\r\n");
}

TEST(SinglePlayer, StartsTheGameWithTheGatheredOptions) {
    Launcher launcher({{"VK.CFG", ""}, {"VK.EXE", ""}});
    MainWindow& main = launcher.Window();
    ASSERT_TRUE(main.LoadSettings());
    main.singlePlayerButton->click();
    ASSERT_EQ(launcher.runner.runs.size(), 1u);
    EXPECT_EQ(launcher.runner.runs[0].program, (launcher.dir / "VK.EXE").string());
    EXPECT_EQ(launcher.runner.runs[0].arguments, "-nopred");
    EXPECT_EQ(launcher.sound.asyncRequests.back(), "SOUNDE.WAV");

    // A skill typed over counts as no skill chosen.
    main.gameOptionsPage->recordDemoCheck->setChecked(true);
    main.gameOptionsPage->skillCombo->setEditText("Nightmare");
    main.gameOptionsPage->levelCombo->setCurrentIndex(3);
    launcher.prompter.fileAnswers.push_back(std::nullopt); // no name for the recording
    main.singlePlayerButton->click();
    EXPECT_EQ(launcher.runner.runs.back().arguments, "-nopred -dr$$MRV$$.DMO -level4 -s0");

    main.botsButton->click();
    EXPECT_EQ(launcher.runner.runs.size(), 2u);
}

TEST(GameOptions, TicdupTypedOverIsNoTicdup) {
    Launcher launcher;
    MainWindow& main = launcher.Window();
    Choose(main.gameOptionsPage->ticDupCombo, 3);
    EXPECT_EQ(main.gameOptionsPage->Gather().ticDupPosition, 3);
    main.gameOptionsPage->ticDupCombo->setEditText("Ticdup 3");
    EXPECT_EQ(main.gameOptionsPage->Gather().ticDupPosition, -1);
}

TEST(AboutFromTheMenu, HidesTheMainWindowWhileTheBoxIsOpen) {
    Launcher launcher;
    MainWindow& main = launcher.Window();
    main.show();
    bool mainVisibleMeanwhile = true;
    bool buttonVisible = false;
    QTimer::singleShot(0, [&] {
        mainVisibleMeanwhile = main.isVisible();
        buttonVisible = launcher.forms->aboutBox->okButton->isVisible();
        launcher.forms->aboutBox->okButton->click();
    });
    main.aboutAction->trigger();
    EXPECT_FALSE(mainVisibleMeanwhile);
    EXPECT_TRUE(buttonVisible);
    EXPECT_TRUE(main.isVisible());
    main.hide();
}

// The real program, started offscreen with its questions answered on the command line.
int RunLauncher(const std::filesystem::path& gameDir, const QString& answers) {
    return RunLauncherProgram({"--answers=" + answers, QString::fromStdString(gameDir.string())});
}

TEST(LauncherProgram, EndsWithOneWhenSetupIsDeclinedAndZeroAfterANormalExit) {
    GameDir empty;
    EXPECT_EQ(RunLauncher(empty.Path(), "no"), 1);
    EXPECT_FALSE(empty.Exists("VK.CFG"));

    // Setup (the stand-in) writes a configuration; the launcher then runs and ends.
    GameDir fresh;
    std::filesystem::copy_file(STANDIN_PATH, fresh / "SETUP.EXE");
    EXPECT_EQ(RunLauncher(fresh.Path(), "yes,no"), 0);
    EXPECT_TRUE(fresh.Exists("VK.CFG"));

    GameDir game({{"VK.CFG", "PlayerName = \"Zed\"\n"}});
    EXPECT_EQ(RunLauncher(game.Path(), "no"), 0);
    EXPECT_EQ(game.Read("VK.CFG"), "PlayerName = \"Zed\"\n");
    EXPECT_EQ(RunLauncher(game.Path(), "yes"), 0);
    EXPECT_EQ(game.Read("VK.CFG"), "PlayerName = \"Zed\"\r\n");
}

// As the desktop starts it for VK.EXE dropped on its icon.
TEST(LauncherProgram, StartedWithAFileOfTheGameOpensTheFolderItLiesIn) {
    GameDir game({{"VK.EXE", ""}, {"VK.CFG", "PlayerName = \"Zed\"\n"}});
    EXPECT_EQ(RunLauncher(game / "VK.EXE", "yes"), 0);
    EXPECT_EQ(game.Read("VK.CFG"), "PlayerName = \"Zed\"\r\n");
}

TEST(LauncherProgram, StartedAwayFromTheGameAsksForItRemembersItAndAsksAgainOnceItIsGone) {
    GameDir home;
    GameDir config;
    // No game here: VK.EXE is a folder; taken for the game, it would offer setup.
    GameDir notGame({{"VK.EXE/inside", ""}});
    // The game was copied in lower case, as games from a DOS disk often are.
    auto game = std::make_unique<GameDir>(GameDir::Files{{"vk.exe", ""}, {"vk.cfg", ""}});
    const auto run = [&](const QString& answers) {
        return RunLauncherProgram({"--answers=" + answers}, home.Path(), config.Path());
    };
    // A folder without VK.EXE is refused and the question comes again; the game's
    // folder is taken, and the launcher ends normally there (No to saving).
    EXPECT_EQ(run(QString::fromStdString(notGame.Path().string() + "," + game->Path().string())),
              0);
    // Started from the same place with no answer at hand, it goes straight to the game.
    EXPECT_EQ(run(""), 0);
    EXPECT_FALSE(home.Exists("VK.CFG"));

    // The remembered folder is gone: the question comes again, and Cancel ends with 1.
    game.reset();
    EXPECT_EQ(run(""), 1);
}

// As a click in a chat program starts it. Yes to saving shows whether it opened.
TEST(LauncherProgram, AnInvitationOpensTheGameFoundAsUsualAndAHostileLinkOpensNothing) {
    GameDir game({{"VK.EXE", ""}, {"VK.CFG", "PlayerName = \"Zed\"\n"}});
    GameDir config;
    const QString hostile = "marloven://join?start=cable&address=198.51.100.4&port=2324&run=x";
    EXPECT_EQ(RunLauncherProgram({"--answers=yes", hostile}, game.Path(), config.Path()), 1);
    EXPECT_EQ(game.Read("VK.CFG"), "PlayerName = \"Zed\"\n");
    const QString sound = "marloven://join?start=cable&address=198.51.100.4&port=2324";
    EXPECT_EQ(RunLauncherProgram({"--answers=yes", sound}, game.Path(), config.Path()), 0);
    EXPECT_EQ(game.Read("VK.CFG"), "PlayerName = \"Zed\"\r\n");
}

// xdg-open and the proc file system are Linux's; Windows registers the handler by
// --register-links, which check-windows checks through the packed marloven.exe.
#ifndef _WIN32
// Every process started beneath `root`, however deep, as the proc file system lists them.
std::vector<pid_t> Descendants(pid_t root) {
    std::map<pid_t, pid_t> parents;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string stat = ReadWholeFile(entry.path() / "stat").value_or("");
        const auto name = stat.rfind(')'); // the name may hold spaces and parentheses
        int parent = 0;
        if (name != std::string::npos &&
            std::sscanf(stat.c_str() + name + 1, " %*c %d", &parent) == 1) {
            parents[std::atoi(entry.path().filename().c_str())] = parent;
        }
    }
    std::vector<pid_t> found;
    for (const auto& [pid, parent] : parents) {
        for (pid_t up = parent; up > 1 && parents.contains(up); up = parents[up]) {
            if (up == root) {
                found.push_back(pid);
                break;
            }
        }
    }
    return found;
}

// A click in a chat program, as the desktop hands it on: xdg-open finds the desktop
// entry by its MimeType and gives it the link as %u. The entry is ours, installed into
// a data folder of the test's own, its Exec pointed at the program built here. A sound
// link opens the join dialog filled in and waits for the player, writing nothing into
// the settings until the player goes with it; a hostile one gets a message and opens
// nothing.
TEST(LauncherProgram, XdgOpenHandsAnInvitationToTheDesktopEntrysProgram) {
    const QString xdgOpen = QStandardPaths::findExecutable("xdg-open");
    const QString updateDatabase = QStandardPaths::findExecutable("update-desktop-database");
    if (xdgOpen.isEmpty() || updateDatabase.isEmpty() || FindDosbox({}).empty() ||
        !std::filesystem::exists(std::filesystem::path(DOS_STANDIN_DIR) / "COMMIT.EXE")) {
        GTEST_SKIP() << "needs xdg-open and update-desktop-database (xdg-utils, "
                        "desktop-file-utils), DOSBox and the DOS stand-ins (nasm)";
    }
    GameDir scratch({{"game/VK.EXE", ""}, {"game/VK.CFG", "PlayerName = \"Zed\"\r\n"}});
    std::filesystem::copy_file(std::filesystem::path(DOS_STANDIN_DIR) / "COMMIT.EXE",
                               scratch / "game/COMMIT.EXE");
    std::string entry = *ReadWholeFile(std::filesystem::path(MARLOVEN_SOURCE_DIR) / "packaging" /
                                       "io.github.marloven.Marloven.desktop");
    const std::string exec = "Exec=marloven %u";
    ASSERT_NE(entry.find(exec), std::string::npos);
    entry.replace(entry.find(exec), exec.size(), std::string("Exec=") + MARLOVEN_PATH + " %u");
    scratch.Write("data/applications/io.github.marloven.Marloven.desktop", entry);
    const QString root = QString::fromStdString(scratch.Path().string());
    ASSERT_EQ(QProcess::execute(updateDatabase, {root + "/data/applications"}), 0);

    // What the launcher that xdg-open started has noted or said once `shown` holds,
    // waiting at most 30 s; then the launcher is ended.
    const auto open = [&](const QString& link, const std::function<bool(const QString&)>& shown) {
        scratch.Write("config/Marloven/marloven.ini",
                      "[game]\ndirectory=" + (scratch / "game").string() + "\n");
        QProcess process;
        QProcessEnvironment environment;
        environment.insert("PATH", qEnvironmentVariable("PATH"));
        environment.insert("HOME", root);
        environment.insert("DISPLAY", ":0"); // xdg-open hands links on only with a display
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("XDG_DATA_HOME", root + "/data");
        environment.insert("XDG_DATA_DIRS", root + "/data");
        environment.insert("XDG_CONFIG_HOME", root + "/config");
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(root + "/game");
        process.start(xdgOpen, {link});
        QString seen;
        QElapsedTimer clock;
        clock.start();
        while (!shown(seen) && clock.elapsed() < 30000 && !process.waitForFinished(100)) {
            seen = QString::fromStdString(scratch.Read("config/Marloven/marloven.ini")) +
                   process.readAllStandardError();
        }
        for (const pid_t started : Descendants(static_cast<pid_t>(process.processId()))) {
            kill(started, SIGTERM);
        }
        EXPECT_TRUE(process.waitForFinished(10000));
        return seen;
    };
    const QString told = "marloven: This link is no Marloven invitation";
    QElapsedTimer waited;
    waited.start();
    const QString sound = open("marloven://join?start=cable&address=198.51.100.4&port=2324",
                               [&](const QString&) { return waited.elapsed() > 5000; });
    EXPECT_FALSE(sound.contains("198.51.100.4")) << sound.toStdString();
    EXPECT_FALSE(sound.contains(told)) << sound.toStdString();
    const QString hostile = open("marloven://join?start=cable&address=198.51.100.4&port=2324&x=%0A",
                                 [&](const QString& seen) { return seen.contains(told); });
    EXPECT_TRUE(hostile.contains(told)) << hostile.toStdString();
    EXPECT_FALSE(hostile.contains("[NullModem]")) << hostile.toStdString();
}
#endif

// Settings that cannot be written (here a file stands where their folder should be)
// would be lost without a word: the player is told, once, and the launcher goes on.
TEST(LauncherProgram, SettingsThatCannotBeWrittenAreToldOnce) {
    if (kProgramSettingsFixed != nullptr) {
        GTEST_SKIP() << kProgramSettingsFixed;
    }
    GameDir game({{"VK.EXE", ""}, {"VK.CFG", "PlayerName = \"Zed\"\r\n"}});
    GameDir config({{"Marloven", "a file in the settings' way"}});
    std::string errors;
    EXPECT_EQ(RunLauncherProgram({"--answers=no", QString::fromStdString(game.Path().string())}, {},
                                 config.Path(), nullptr, &errors),
              0);
    const std::string told = "Marloven could not save its settings in ";
    ASSERT_NE(errors.find(told), std::string::npos) << errors;
    EXPECT_EQ(errors.find(told, errors.find(told) + 1), std::string::npos) << errors;

    LauncherSettings settings(QString::fromStdString((config / "Marloven/marloven.ini").string()));
    int tellings = 0;
    settings.TellWriteFailureTo([&](const QString&) { ++tellings; });
    settings.Set(LauncherKey::DosboxFullScreen, true);
    settings.Set(LauncherKey::IpxPort, 2131);
    EXPECT_EQ(tellings, 1);
    EXPECT_EQ(settings.Get(LauncherKey::IpxPort).toInt(), 2131) << "held until the end";

    // A file that cannot be read (half written by a crash) is rewritten: nothing to tell.
    GameDir broken({{"Marloven/marloven.ini", "[Ipx]\nPort=2131\n[DOS"}});
    errors.clear();
    EXPECT_EQ(RunLauncherProgram({"--answers=no", QString::fromStdString(game.Path().string())}, {},
                                 broken.Path(), nullptr, &errors),
              0);
    EXPECT_EQ(errors.find(told), std::string::npos) << errors;
    EXPECT_NE(broken.Read("Marloven/marloven.ini").find("[game]"), std::string::npos);
}

TEST(LauncherProgram, RefusesUnknownOptionsButLetsQtTakeItsOwn) {
    GameDir game({{"VK.CFG", "PlayerName = \"Zed\"\n"}});
    const QString gamePath = QString::fromStdString(game.Path().string());
    // Once taken for the game directory, an unknown option must not start anything.
    EXPECT_EQ(RunLauncherProgram({"--bogus", "--answers=yes", gamePath}), 2);
    EXPECT_EQ(RunLauncherProgram({"--answers=yes", gamePath, "other"}), 2);
    EXPECT_EQ(game.Read("VK.CFG"), "PlayerName = \"Zed\"\n");
    EXPECT_EQ(RunLauncherProgram({"-style", "fusion", "--answers", "yes", gamePath}), 0);
    EXPECT_EQ(game.Read("VK.CFG"), "PlayerName = \"Zed\"\r\n");
}

} // namespace
} // namespace marloven::test
