// SPDX-License-Identifier: GPL-3.0-or-later
// The game's starts through a real, headless DOSBox with our DOS stand-ins, which log
// each start to STANDIN.LOG: the command tail exactly as received, the demo written or
// found, and the next program of a chain. Each DOSBox start takes about a second, so
// one start checks all it can.

#include "tests/platform/standin_game.h"
#include "tests/support/child_process.h"
#include "tests/ui/launcher_fixture.h"

#include "core/dosbox_start.h"
#include "core/file_io.h"
#include "core/game_file.h"
#include "launcher/dos_engine.h"
#include "qt_text/text_conversions.h"
#include "ui/main/demo_page.h"
#include "ui/main/game_options_page.h"

#include <QApplication>
#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>
#include <gtest/gtest.h>
#include <list>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace marloven::test {
namespace {

namespace fs = std::filesystem;

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// The system's runner, counting what it starts.
class CountingRunner : public ProgramRunner {
  public:
    explicit CountingRunner(int& starts) : starts_(starts) {}
    RunResult Run(const CommandLine& command) override {
        ++starts_;
        return system_->Run(command);
    }

  private:
    std::unique_ptr<ProgramRunner> system_ = MakeSystemProgramRunner();
    int& starts_;
};

// A launcher whose starts go through the DOS engine, with the player's settings given
// by the test and the DOS stand-ins in the game directory under lower-case names, as a
// game copied from a DOS disk may have them.
class EngineLauncher : public testing::Test {
  protected:
    EngineLauncher()
        : engine_(std::make_unique<CountingRunner>(starts_), [this] { return settings_; }),
          launcher({}, nullptr, &engine_) {
        for (const char* name : {"vk.exe", "setup.exe", "commit.exe", "vksetms.exe"}) {
            const fs::path standin = fs::path(DOS_STANDIN_DIR) / UpperName(name);
            if (fs::exists(standin)) {
                fs::copy_file(standin, launcher.dir / name);
            }
        }
    }
    ~EngineLauncher() override { launcher.Window().hide(); }

    static std::string UpperName(std::string name) {
        for (char& c : name) {
            c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
        }
        return name;
    }
    // What the stand-ins logged since the last call.
    std::string TakeLog() {
        const fs::path log = FindGameFile(launcher.dir.Path(), "STANDIN.LOG");
        std::string text = ReadWholeFile(log).value_or("");
        fs::remove(log);
        return text;
    }

    int starts_ = 0;
    DosboxSettings settings_;
    DosEngineRunner engine_;
    Launcher launcher;
    MainWindow& main = launcher.Window();
};

// DOSBox without window or sound, each start ended after 60 seconds at the latest.
class ThroughDosbox : public EngineLauncher {
  protected:
    void SetUp() override {
        const std::string dosbox = FindDosbox({});
        if (dosbox.empty() || !fs::exists(launcher.dir / "vk.exe")) {
            GTEST_SKIP() << "needs DOSBox and the DOS stand-ins (nasm)";
        }
        qputenv("SDL_VIDEODRIVER", "dummy");
        qputenv("SDL_AUDIODRIVER", "dummy");
        // The player's own file, read after ours: the test's headless settings.
        player_.Write("headless.conf", "[sdl]\noutput=surface\n[mixer]\nnosound=true\n");
#ifdef _WIN32
        // The DOSBox the Windows build carries (on the tests' search path); ctest's own
        // time-out bounds it, as Windows has no timeout command to wrap it in.
        settings_.dosboxPath = dosbox;
#else
        player_.Write("dosbox", "#!/bin/sh\nexec timeout 60 '" + dosbox + "' \"$@\"\n");
        fs::permissions(player_ / "dosbox", fs::perms::owner_all);
        settings_.dosboxPath = (player_ / "dosbox").string();
#endif
        settings_.playersConfiguration = (player_ / "headless.conf").string();
    }
    void TearDown() override {
        qunsetenv("SDL_VIDEODRIVER");
        qunsetenv("SDL_AUDIODRIVER");
    }

    GameDir player_;
};

TEST_F(ThroughDosbox, SinglePlayerRecordingAndPlaybackReachTheDosGame) {
    main.singlePlayerButton->click();
    EXPECT_EQ(TakeLog(), "start VK.EXE\r\ntail  -nopred\r\nend\r\n");
    EXPECT_TRUE(main.isVisible());
    EXPECT_EQ(launcher.sound.played.size(), 2u);

    main.gameOptionsPage->recordDemoCheck->click();
    launcher.prompter.fileAnswers.push_back(
        QString::fromStdString((launcher.dir / "RUN.DMO").string()));
    launcher.prompter.yesNoAnswers.push_back(true);
    main.singlePlayerButton->click();
    const std::string recording = TakeLog();
    EXPECT_TRUE(Has(recording, "tail  -nopred -dr$$MRV$$.DMO -level")) << recording;
    EXPECT_TRUE(Has(recording, "wrote $$MRV$$.DMO\r\n")) << recording;
    EXPECT_EQ(launcher.dir.Read("RUN.DMO").substr(0, 5), std::string("VKDM\1"));
    EXPECT_EQ(launcher.dir.Read("RUN.DMO").size(), 53u);
    EXPECT_FALSE(launcher.dir.Exists("$$MRV$$.DMO"));
    main.gameOptionsPage->recordDemoCheck->click();

    launcher.dir.Write("DEMO1.DMO", "the game's");
    launcher.dir.Write("MINE.DMO", "mine");
    main.demoPage->SetDirectory(launcher.dir.Path());
    const auto mine = main.demoPage->demoFileList->findItems("MINE.DMO", Qt::MatchExactly);
    ASSERT_EQ(mine.size(), 1);
    main.demoPage->demoFileList->setCurrentItem(mine.front());
    main.demoPage->playDemoButton->click();
    EXPECT_EQ(TakeLog(), "start VK.EXE\r\ntail \r\ndemo DEMO1.DMO 4\r\nend\r\n");
    EXPECT_EQ(launcher.dir.Read("DEMO1.DMO"), "the game's");
    EXPECT_FALSE(launcher.dir.Exists("DEMO1.$MV"));

    EXPECT_EQ(starts_, 3);
    EXPECT_TRUE(launcher.prompter.messages.isEmpty())
        << launcher.prompter.messages.join('\n').toStdString();
}

// The comm-driver starts link two DOSBox instances: see internet_play_test.cpp, where
// the answering side also runs the mouse-tweak chain inside one DOSBox.

// A game in a folder named beyond ASCII runs there. Here one whose name is not even
// valid UTF-8 (Latin-1 "caf\xe9", as older disks have them), which DOSBox mounts by its
// own bytes; on Windows one with letters that DOSBox's code page lacks (Cyrillic beside
// Latin-1), which DOSBox reaches by the folder's short name.
TEST_F(ThroughDosbox, AGameInAFolderNamedBeyondAsciiRunsThere) {
#ifdef _WIN32
    const fs::path folder =
        launcher.dir.Path() / fs::path(u8"caf\u00e9 \u0412\u0435\u043b\u043a\u0430");
#else
    const fs::path folder = launcher.dir / "caf\xe9";
#endif
    fs::create_directory(folder);
    fs::copy_file(launcher.dir / "vk.exe", folder / "VK.EXE");
    const RunResult result =
        engine_.Run({(folder / "VK.EXE").string(), "-nopred", folder.string()});
    EXPECT_EQ(result.outcome, RunOutcome::Ended) << result.message;
    EXPECT_EQ(ReadWholeFile(FindGameFile(folder, "STANDIN.LOG")).value_or(""),
              "start VK.EXE\r\ntail  -nopred\r\nend\r\n");
}

// The player's [autoexec] lines go into ours, before the game's: one that DOSBox reads
// as a section (indented by a tab) ended ours there, and the game never started.
TEST_F(ThroughDosbox, ThePlayersAutoexecCannotOpenASectionInOurs) {
    player_.Write("headless.conf",
                  "[autoexec]\nrem the player's\n\t[sdl]\noutput=surface\n[mixer]\nnosound=true\n");
    main.singlePlayerButton->click();
    EXPECT_EQ(TakeLog(), "start VK.EXE\r\ntail  -nopred\r\nend\r\n");
}

TEST_F(ThroughDosbox, SetupAtStartUpLeavesItsConfigurationThroughDosbox) {
    CurrentDirectory inGame(launcher.dir.Path());
    launcher.prompter.yesNoAnswers = {true};
    ASSERT_TRUE(StartLauncher(launcher.context, *launcher.forms));
    EXPECT_EQ(TakeLog(), "start SETUP.EXE\r\ntail \r\nwrote VK.CFG\r\nend\r\n");
    EXPECT_EQ(main.playerNameEdit->text(), "Newcomer");
}

TEST_F(EngineLauncher, WithoutAWorkingDosboxThePlayerIsToldWhatToInstallAndTheWindowStays) {
    if (!launcher.dir.Exists("vk.exe")) {
        launcher.dir.Write("vk.exe", "MZ"); // the header alone marks a DOS program
    }
    main.show();
    launcher.dir.Write("NOT-A-PROGRAM", "plain text, not startable");
    for (const fs::path& dosbox : {launcher.dir / "no-dosbox", launcher.dir / "NOT-A-PROGRAM"}) {
        settings_.dosboxPath = dosbox.string();
        launcher.prompter.messages.clear();
        main.singlePlayerButton->click();
        ASSERT_EQ(launcher.prompter.messages.size(), 1) << dosbox;
        // One that is there but cannot run is not "not found".
        EXPECT_EQ(launcher.prompter.messages[0].contains(kDosboxNotFoundMessage),
                  dosbox.filename() == "no-dosbox")
            << launcher.prompter.messages[0].toStdString();
        EXPECT_TRUE(main.isVisible());
    }
    EXPECT_TRUE(launcher.prompter.messages[0].contains("NOT-A-PROGRAM, cannot be run"));
    // Both are known before the start: nothing was started for them.
    EXPECT_EQ(starts_, 0);
}

// A launcher killed while DOSBox ran left its start's folder for ever: the next start
// removes the folders of launchers that have ended, and no running launcher's.
TEST_F(EngineLauncher, AStartRemovesTheFoldersThatEndedLaunchersLeft) {
#ifdef _WIN32
    GTEST_SKIP() << "no fork here";
#else
    const pid_t ended = fork();
    if (ended == 0) {
        _exit(0);
    }
    ExitCodeOf(ended);
    GameDir temporaries(
        {{"marloven-start-" + std::to_string(ended) + "-a1B2c3/dosbox.conf", ""},
         {"marloven-start-" + std::to_string(getppid()) + "-d4E5f6/dosbox.conf", ""},
         {"dosbox/dosbox", "#!/bin/sh\n"}});
    const ScopedEnvironment temporary("TMPDIR", QByteArray::fromStdString(temporaries.Path()));
    fs::permissions(temporaries / "dosbox/dosbox", fs::perms::owner_all);
    settings_.dosboxPath = (temporaries / "dosbox/dosbox").string();
    launcher.dir.Write("vk.exe", "MZ");
    main.singlePlayerButton->click();
    EXPECT_EQ(starts_, 1);
    EXPECT_FALSE(temporaries.Exists("marloven-start-" + std::to_string(ended) + "-a1B2c3"));
    EXPECT_TRUE(temporaries.Exists("marloven-start-" + std::to_string(getppid()) + "-d4E5f6"));
#endif
}

// DOSBox's Windows installers put it under the program folders, off the search path,
// under the folder names of each version and kind.
TEST(DosboxSearch, FindsDosboxWhereItsWindowsInstallerPutIt) {
#ifndef _WIN32
    GTEST_SKIP() << "the install folders are Windows'";
#else
    GameDir programs;
    fs::create_directories(programs / "DOSBox-0.74-3");
    programs.Write("DOSBox-0.74-3/DOSBox.exe", "MZ");
    const QByteArray folder = QStringFromPath(programs.Path()).toLocal8Bit();
    std::list<ScopedEnvironment> variables;
    variables.emplace_back("PATH", QByteArray("C:\\nowhere"));
    for (const char* name :
         {"ProgramFiles", "ProgramFiles(x86)", "ProgramW6432", "LOCALAPPDATA", "SystemDrive"}) {
        variables.emplace_back(name, folder);
    }

    // Windows' names ignore case: the place is compared, not the spelling.
    const std::string found = FindDosbox({});
    std::error_code error;
    EXPECT_TRUE(
        fs::equivalent(PathFromNarrow(found), programs / "DOSBox-0.74-3" / "DOSBox.exe", error))
        << found;
#endif
}

} // namespace
} // namespace marloven::test
