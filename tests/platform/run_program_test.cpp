// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/platform/standin_game.h"
#include "ui/starts/launch.h"

#include <QEvent>
#include <QTimer>
#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>

namespace marloven::test {
namespace {

namespace fs = std::filesystem;

// Counts how often the window was hidden, to tell "never hidden" from "hidden and
// shown again".
class HideCounter : public QObject {
  public:
    int hides = 0;

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Hide) {
            ++hides;
        }
        return false;
    }
};

// The stand-in's log with each "dir" line that names the game directory written as
// "dir GAME": a system may spell one directory in several ways (links, short names,
// letter case), so the place is compared, not the text.
std::string WithGameDirNamed(const std::string& log, const fs::path& game) {
    std::istringstream lines(log);
    std::string named;
    for (std::string line; std::getline(lines, line);) {
        std::error_code error;
        // The stand-in writes its directory in UTF-8, as the standard library spells a
        // path in 8 bits on Windows too.
        const std::u8string place(line.begin() + std::min<std::size_t>(4, line.size()), line.end());
        if (line.rfind("dir ", 0) == 0 && fs::equivalent(fs::path(place), game, error)) {
            line = "dir GAME";
        }
        named += line + '\n';
    }
    return named;
}

class RunProgramTest : public StandinGame {
  protected:
    using StandinGame::StandinGame;
    std::string NamedLog() const { return WithGameDirNamed(Log(), GamePath()); }
};

TEST_F(RunProgramTest, StartsInTheGameDirectoryWithEachSwitchArrivingLiterally) {
    InstallAll();
    RunProgram(context_, &window_, "VK.EXE", "-nopred -dr$$MRV$$.DMO -level1 -s3");

    // A shell would have expanded "$$" into its process number.
    EXPECT_EQ(NamedLog(), "start VK.EXE\narg -nopred\narg -dr$$MRV$$.DMO\narg -level1\narg -s3\n"
                          "dir GAME\nwrote $$MRV$$.DMO\nend\n");
    EXPECT_TRUE(dir_.Exists("$$MRV$$.DMO"));
    EXPECT_TRUE(prompter_.messages.isEmpty());
    EXPECT_TRUE(window_.isVisible());
}

// Players name their folders in their own language: the program starts in such a
// folder, with its switches, and writes its files there.
class NonAsciiFolderTest : public RunProgramTest {
  protected:
    NonAsciiFolderTest() : RunProgramTest(fs::path(u8"Spiele für Велкаран")) {}
};

TEST_F(NonAsciiFolderTest, TheProgramStartsAndWritesInTheGameDirectory) {
    InstallAll();
    RunProgram(context_, &window_, "VK.EXE", "-nopred -dr$$MRV$$.DMO");

    EXPECT_EQ(NamedLog(), "start VK.EXE\narg -nopred\narg -dr$$MRV$$.DMO\ndir GAME\n"
                          "wrote $$MRV$$.DMO\nend\n");
    EXPECT_TRUE(fs::exists(GamePath() / "$$MRV$$.DMO"));
    EXPECT_TRUE(prompter_.messages.isEmpty());
}

TEST_F(RunProgramTest, AnEmptyArgumentLinePassesNoArgumentAtAll) {
    Install("SETUP.EXE");
    RunProgram(context_, &window_, "SETUP.EXE", "");
    EXPECT_EQ(NamedLog(), "start SETUP.EXE\ndir GAME\nwrote VK.CFG\nend\n");
}

TEST_F(RunProgramTest, HidesTheWindowWhileTheProgramRunsAndKeepsEventsFlowing) {
    InstallAll();
    ScopedEnvironment linger("STANDIN_LINGER_MS", "400");
    int ticks = 0;
    bool visibleDuringRun = true;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        ++ticks;
        visibleDuringRun = visibleDuringRun && window_.isVisible();
    });
    timer.start(20);

    RunProgram(context_, &window_, "VK.EXE", "");

    // A runner that blocked the thread until the end would let no tick through.
    EXPECT_GE(ticks, 3);
    EXPECT_FALSE(visibleDuringRun);
    EXPECT_TRUE(window_.isVisible());
    EXPECT_NE(Log().find("demo DEMO1.DMO missing"), std::string::npos);
}

TEST_F(RunProgramTest, AMissingProgramIsReportedByItsBareNameWithoutHidingOrStarting) {
    Install("VK.EXE");
    fs::create_directory(GamePath() / "COMMIT.EXE"); // a directory is no program
    HideCounter counter;
    window_.installEventFilter(&counter);

    RunProgram(context_, &window_, "SETUP.EXE", "");
    RunProgram(context_, &window_, "COMMIT.EXE", "-f2");

    EXPECT_EQ(prompter_.messages,
              QStringList({"SETUP.EXE was not found!", "COMMIT.EXE was not found!"}));
    EXPECT_EQ(counter.hides, 0);
    EXPECT_TRUE(window_.isVisible());
    EXPECT_EQ(Log(), "");
}

TEST_F(RunProgramTest, AProgramThatCannotStartIsReportedWithItsWholeCommandLine) {
    dir_.Write("VK.EXE", "not a program"); // no execute permission
    RunProgram(context_, &window_, "VK.EXE", "-nopred -f1");
    RunProgram(context_, &window_, "VK.EXE", "");

    const QString path = QString::fromStdString((GamePath() / "VK.EXE").string());
    EXPECT_EQ(prompter_.messages, QStringList({"Could not execute " + path + " -nopred -f1",
                                               "Could not execute " + path + " "}));
    EXPECT_TRUE(window_.isVisible());
}

TEST_F(RunProgramTest, TheProgramsExitCodeIsNoFailure) {
    InstallAll();
    ScopedEnvironment exitCode("STANDIN_EXIT_CODE", "3");
    RunProgram(context_, &window_, "VK.EXE", "");
    EXPECT_TRUE(prompter_.messages.isEmpty());
    EXPECT_TRUE(window_.isVisible());
}

class RunProgramWithBlanksTest : public RunProgramTest {
  protected:
    RunProgramWithBlanksTest() : RunProgramTest("My Games/Velkaran 95") {}
};

TEST_F(RunProgramWithBlanksTest, APathWithBlanksStartsTheRightProgram) {
    InstallAll();
    dir_.Write("My", "a decoy that a split path would name");
    RunProgram(context_, &window_, "VK.EXE", "-f3");
    EXPECT_EQ(NamedLog(), "start VK.EXE\narg -f3\ndir GAME\nend\n");
    EXPECT_TRUE(prompter_.messages.isEmpty());
}

} // namespace
} // namespace marloven::test
