// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/ui/launcher_fixture.h"

#include "launcher/launcher_settings.h"
#include "tests/support/write_failure.h"
#include "ui/dialogs/about_box.h"
#include "ui/dialogs/commit_form.h"
#include "ui/dialogs/config_viewer.h"
#include "ui/dialogs/macro_dialog.h"
#include "ui/dialogs/phonebook_entry_dialog.h"
#include "ui/dialogs/pick_opponent_dialog.h"
#include "ui/dialogs/players_dialog.h"
#include "ui/dialogs/select_modem_dialog.h"
#include "ui/main/game_options_page.h"

#include <QApplication>

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>
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
    EXPECT_EQ(launcher.Main().PlayerName->text(), "New");
    EXPECT_TRUE(launcher.Main().isVisible());
    // The start-up sound comes once the window has painted.
    EXPECT_TRUE(launcher.sound.asyncRequests.empty());
    for (int turn = 0; turn < 100 && launcher.sound.asyncRequests.empty(); ++turn) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    EXPECT_EQ(launcher.sound.asyncRequests, std::vector<std::string>{"SOUNDS.WAV"});
    launcher.Main().hide();
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
    EXPECT_FALSE(launcher.Main().isVisible());
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

TEST(Forms, AllNineExistHiddenUntilTheLauncherShowsThem) {
    Launcher launcher;
    const Forms& forms = *launcher.forms;
    const QWidget* const all[] = {
        forms.Main.get(),    forms.SelectModem.get(), forms.NetNoPlayers.get(),
        forms.ShowCFG.get(), forms.AboutBox.get(),    forms.EditInfo.get(),
        forms.My.get(),      forms.EditMacro.get(),   forms.Dial.get()};
    for (const QWidget* form : all) {
        ASSERT_NE(form, nullptr);
        EXPECT_FALSE(form->isVisible());
    }
    EXPECT_EQ(forms.My->Commit->toPlainText(), "Memo1");
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
        mainVisible = forms->Main->isVisible();
        aboutVisible = forms->AboutBox->isVisible();
        okVisible = forms->AboutBox->Button1->isVisible();
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
        ASSERT_TRUE(launcher.Main().LoadSettings());
        launcher.Main().show();
        launcher.Main().PlayerName->setText("Changed");
    }
};

TEST_F(ExitSequence, NoLeavesTheFileAloneAndSaysGoodbyeFromTheAboutBox) {
    launcher.prompter.yesNoAnswers = {false};
    launcher.Main().Button5->click();
    EXPECT_EQ(launcher.prompter.questions, QStringList({kSaveQuestion}));
    EXPECT_EQ(launcher.dir.Read("VK.CFG"), "PlayerName = \"Old\"\nNetColor = 2\n");
    EXPECT_EQ(farewell.syncSounds, std::vector<std::string>{"SOUNDD.WAV"});
    EXPECT_FALSE(farewell.mainVisible);
    EXPECT_TRUE(farewell.aboutVisible);
    EXPECT_FALSE(farewell.okVisible);
    EXPECT_FALSE(launcher.Main().isVisible());
    EXPECT_FALSE(launcher.forms->AboutBox->isVisible());
}

TEST_F(ExitSequence, YesRewritesTheFileEvenWhenNothingChanged) {
    launcher.prompter.yesNoAnswers = {true};
    launcher.Main().PlayerName->setText("Old");
    launcher.Main().Exit1->trigger();
    EXPECT_EQ(launcher.dir.Read("VK.CFG"), "PlayerName = \"Old\"\r\nNetColor = 2\r\n");
    EXPECT_FALSE(launcher.Main().isVisible());
}

TEST_F(ExitSequence, AFailedSaveKeepsTheWindowOpenWithoutFarewell) {
    launcher.prompter.yesNoAnswers = {true, true};
    {
        WriteFailureForTesting diskFull(std::make_error_code(std::errc::no_space_on_device));
        EXPECT_FALSE(launcher.Main().close());
    }
    ASSERT_EQ(launcher.prompter.errors.size(), 1);
    EXPECT_TRUE(launcher.prompter.errors.front().startsWith("Cannot create file "));
    EXPECT_TRUE(launcher.prompter.errors.front().endsWith("VK.CFG"));
    EXPECT_TRUE(launcher.Main().isVisible());
    EXPECT_EQ(launcher.Main().PlayerName->text(), "Changed");
    EXPECT_TRUE(farewell.syncSounds.empty());
    EXPECT_FALSE(launcher.forms->AboutBox->isVisible());
    EXPECT_EQ(launcher.dir.Read("VK.CFG"), "PlayerName = \"Old\"\nNetColor = 2\n");

    // The player tries again once there is room.
    EXPECT_TRUE(launcher.Main().close());
    EXPECT_EQ(launcher.dir.Read("VK.CFG"), "PlayerName = \"Changed\"\r\nNetColor = 2\r\n");
}

class SetupFromTheMenu : public ::testing::Test {
  protected:
    Launcher launcher{GameDir::Files{{"VK.CFG", "PlayerName = \"Old\"\r\n"}, {"SETUP.EXE", ""}}};

    void SetUp() override {
        ASSERT_TRUE(launcher.Main().LoadSettings());
        launcher.Main().PlayerName->setText("Mine");
    }
};

TEST_F(SetupFromTheMenu, SavesRunsSetupAndShowsWhatItWrote) {
    std::string seenBySetup;
    launcher.runner.whileRunning = [&](const GameStart& command) {
        seenBySetup = launcher.dir.Read("VK.CFG");
        EXPECT_EQ(command.program, (launcher.dir / "SETUP.EXE").string());
        launcher.dir.Write("VK.CFG", "PlayerName = \"FromSetup\"\r\nNetColor = 4\r\n");
    };
    launcher.Main().LaunchSETUPEXE1->trigger();
    EXPECT_EQ(seenBySetup, "PlayerName = \"Mine\"\r\n");
    EXPECT_EQ(launcher.Main().PlayerName->text(), "FromSetup");
    EXPECT_EQ(launcher.Main().PlayerColor->currentText(), "Yellow");
    EXPECT_TRUE(launcher.sound.requested.empty());
}

TEST_F(SetupFromTheMenu, AFailedSaveRunsNothing) {
    WriteFailureForTesting denied(std::make_error_code(std::errc::permission_denied));
    launcher.Main().LaunchSETUPEXE1->trigger();
    EXPECT_TRUE(launcher.runner.runs.empty());
    EXPECT_EQ(launcher.prompter.errors.size(), 1);
    EXPECT_EQ(launcher.Main().PlayerName->text(), "Mine");
}

TEST_F(SetupFromTheMenu, AConfigurationRemovedBySetupKeepsControlsAndStore) {
    launcher.runner.whileRunning = [&](const GameStart&) {
        std::filesystem::remove(launcher.dir / "VK.CFG");
    };
    launcher.Main().LaunchSETUPEXE1->trigger();
    ASSERT_EQ(launcher.prompter.errors.size(), 1);
    EXPECT_TRUE(launcher.prompter.errors.front().startsWith("Cannot open file "));
    EXPECT_EQ(launcher.Main().PlayerName->text(), "Mine");
    EXPECT_EQ(launcher.LineOf("PlayerName"), "PlayerName = \"Mine\"");
}

TEST(OpenGameDirectory, OffersToSaveAndTurnsOnlyToAFolderThatHoldsTheGame) {
    Launcher launcher({{"VK.CFG", "PlayerName = \"Old\"\r\n"}});
    std::vector<std::filesystem::path> opened;
    launcher.context.openGameDirectory = [&](const std::filesystem::path& directory) {
        opened.push_back(directory);
    };
    ASSERT_TRUE(launcher.Main().LoadSettings());
    launcher.Main().PlayerName->setText("Mine");
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
        launcher.Main().OpenGameDirectory1->trigger();
    }
    EXPECT_TRUE(opened.empty());
    EXPECT_EQ(launcher.prompter.errors.size(), 1);

    // A folder without VK.EXE is refused and the question comes again.
    launcher.prompter.folderAnswers = {answer(notGame), answer(other)};
    launcher.prompter.yesNoAnswers = {true};
    launcher.Main().OpenGameDirectory1->trigger();
    EXPECT_EQ(opened, std::vector<std::filesystem::path>{other.Path()});
    EXPECT_EQ(launcher.prompter.errors.size(), 2);
    EXPECT_EQ(launcher.dir.Read("VK.CFG"), "PlayerName = \"Mine\"\r\n");
}

TEST(SinglePlayer, StartsTheGameWithTheGatheredOptions) {
    Launcher launcher({{"VK.CFG", ""}, {"VK.EXE", ""}});
    TMain& main = launcher.Main();
    ASSERT_TRUE(main.LoadSettings());
    main.SingleButton->click();
    ASSERT_EQ(launcher.runner.runs.size(), 1u);
    EXPECT_EQ(launcher.runner.runs[0].program, (launcher.dir / "VK.EXE").string());
    EXPECT_EQ(launcher.runner.runs[0].arguments, "-nopred");
    EXPECT_EQ(launcher.sound.asyncRequests.back(), "SOUNDE.WAV");

    // A skill typed over counts as no skill chosen.
    main.GameOptionsPage->RecordDemo->setChecked(true);
    main.GameOptionsPage->StartSkill->setEditText("Nightmare");
    main.GameOptionsPage->StartLevel->setCurrentIndex(3);
    launcher.prompter.fileAnswers.push_back(std::nullopt); // no name for the recording
    main.SingleButton->click();
    EXPECT_EQ(launcher.runner.runs.back().arguments, "-nopred -dr$$MRV$$.DMO -level4 -s0");

    main.BotsButton->click();
    EXPECT_EQ(launcher.runner.runs.size(), 2u);
}

TEST(GameOptions, TicdupTypedOverIsNoTicdup) {
    Launcher launcher;
    TMain& main = launcher.Main();
    Choose(main.GameOptionsPage->TicDup, 3);
    EXPECT_EQ(main.GameOptionsPage->Gather().ticDupPosition, 3);
    main.GameOptionsPage->TicDup->setEditText("Ticdup 3");
    EXPECT_EQ(main.GameOptionsPage->Gather().ticDupPosition, -1);
}

TEST(AboutFromTheMenu, HidesTheMainWindowWhileTheBoxIsOpen) {
    Launcher launcher;
    TMain& main = launcher.Main();
    main.show();
    bool mainVisibleMeanwhile = true;
    bool buttonVisible = false;
    QTimer::singleShot(0, [&] {
        mainVisibleMeanwhile = main.isVisible();
        buttonVisible = launcher.forms->AboutBox->Button1->isVisible();
        launcher.forms->AboutBox->Button1->click();
    });
    main.About1->trigger();
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
