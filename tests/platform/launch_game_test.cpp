// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/platform/standin_game.h"
#include "tests/support/fake_game_runner.h"
#include "ui/starts/launch.h"

#include <set>

namespace marloven::test {
namespace {

using LaunchGameTest = StandinGame;

bool IsStartSound(const std::string& name) {
    return name == "SOUND1.WAV" || name == "SOUND2.WAV";
}

TEST_F(LaunchGameTest, StartsTheGameWithComposedSwitchesBetweenStartAndEndSound) {
    InstallAll();
    GameOptions options;
    options.netPred = true;
    options.recordDemo = true;
    options.levelPosition = 0;
    options.skillPosition = 2;
    std::vector<std::string> heardBeforeDemoStep;
    LaunchHooks hooks;
    hooks.saveRecordedDemo = [&] {
        heardBeforeDemoStep = sound_.played;
        EXPECT_TRUE(dir_.Exists("$$MRV$$.DMO")) << "the game has ended before the demo step";
        EXPECT_TRUE(window_.isVisible());
    };

    LaunchGame(context_, &window_, LaunchMode::SinglePlayer, "VK.EXE", options, hooks);

    EXPECT_NE(Log().find("arg -nopred\narg -dr$$MRV$$.DMO\narg -level1\narg -s3\ndir"),
              std::string::npos);
    ASSERT_EQ(heardBeforeDemoStep.size(), 2u);
    EXPECT_TRUE(IsStartSound(heardBeforeDemoStep[0])) << heardBeforeDemoStep[0];
    EXPECT_EQ(heardBeforeDemoStep[1], "SOUNDE.WAV");
    EXPECT_TRUE(sound_.syncRequests.empty());
}

TEST_F(LaunchGameTest, TheMouseTweakRoutesTheStartThroughItsHelper) {
    InstallAll();
    GameOptions options;
    options.ticDupPosition = 2;
    LaunchHooks hooks;
    hooks.mouseTweak = [&](std::string& program, const std::string& arguments) {
        EXPECT_TRUE(sound_.requested.empty()) << "the order is written before any sound";
        dir_.Write("VKSETMS.DAT", program + "\r\n" + arguments + "\r\n70\r\n5\r\n");
        program = "VKSETMS.EXE";
        return true;
    };

    LaunchGame(context_, &window_, LaunchMode::Network, "VK.EXE", options, hooks);

    const std::string log = Log();
    EXPECT_EQ(log.rfind("start VKSETMS.EXE\narg -f2\n", 0), 0u) << log;
    EXPECT_NE(log.find("starts VK.EXE -f2\nend\nstart VK.EXE\narg -f2\n"), std::string::npos)
        << log;
    EXPECT_EQ(sound_.played.size(), 2u);
}

TEST_F(LaunchGameTest, AMouseTweakThatFailsStopsTheLaunchBeforeAnySound) {
    InstallAll();
    bool demoStep = false;
    LaunchHooks hooks;
    hooks.mouseTweak = [](std::string&, const std::string&) { return false; };
    hooks.saveRecordedDemo = [&] { demoStep = true; };
    GameOptions options;
    options.recordDemo = true;

    LaunchGame(context_, &window_, LaunchMode::SinglePlayer, "VK.EXE", options, hooks);

    EXPECT_EQ(Log(), "");
    EXPECT_TRUE(sound_.requested.empty());
    EXPECT_FALSE(demoStep);
}

// A game that never ran recorded nothing: no demo is offered for saving.
TEST_F(LaunchGameTest, AMissingProgramStillGetsTheEndSoundButNoDemoStep) {
    bool demoStep = false;
    LaunchHooks hooks;
    hooks.saveRecordedDemo = [&] { demoStep = true; };
    GameOptions options;
    options.recordDemo = true;

    LaunchGame(context_, &window_, LaunchMode::Answer, "COMMIT.EXE", options, hooks);

    EXPECT_EQ(prompter_.messages, QStringList{"COMMIT.EXE was not found!"});
    ASSERT_EQ(sound_.played.size(), 2u);
    EXPECT_EQ(sound_.played[1], "SOUNDE.WAV");
    EXPECT_FALSE(demoStep);
}

TEST_F(LaunchGameTest, TheDemoStepIsSkippedWhenNoDemoIsRecorded) {
    Install("VK.EXE");
    bool demoStep = false;
    LaunchHooks hooks;
    hooks.saveRecordedDemo = [&] { demoStep = true; };
    LaunchGame(context_, &window_, LaunchMode::SinglePlayer, "VK.EXE", GameOptions{}, hooks);
    EXPECT_FALSE(demoStep);
}

// The fake runner lets the start sound "play on" past the program's end.
class LaunchSoundsTest : public StandinGame {
  protected:
    LaunchSoundsTest()
        : fakeContext_{startDir_, store_, prompter_, fakeRunner_, sound_, settings_} {
        dir_.Write("VK.EXE", "");
    }
    FakeGameRunner fakeRunner_;
    AppContext fakeContext_;
};

TEST_F(LaunchSoundsTest, AStartSoundStillPlayingKeepsTheEndSoundFromPlaying) {
    fakeRunner_.whileRunning = [&](const GameStart&) { sound_.stillPlaying = true; };
    LaunchGame(fakeContext_, &window_, LaunchMode::SinglePlayer, "VK.EXE", GameOptions{});

    ASSERT_EQ(sound_.requested.size(), 2u);
    EXPECT_EQ(sound_.requested[1], "SOUNDE.WAV");
    ASSERT_EQ(sound_.played.size(), 1u);
    EXPECT_TRUE(IsStartSound(sound_.played[0]));
    ASSERT_EQ(fakeRunner_.runs.size(), 1u);
    EXPECT_EQ(fakeRunner_.runs[0].directory, startDir_.string());
    EXPECT_EQ(fakeRunner_.runs[0].program, (startDir_ / "VK.EXE").string());
}

TEST_F(LaunchSoundsTest, TheStartSoundIsSometimesTheFirstAndSometimesTheSecond) {
    std::set<std::string> startSounds;
    for (int launch = 0; launch < 40 && startSounds.size() < 2; ++launch) {
        sound_.requested.clear();
        LaunchGame(fakeContext_, &window_, LaunchMode::SinglePlayer, "VK.EXE", GameOptions{});
        ASSERT_TRUE(IsStartSound(sound_.requested.at(0)));
        startSounds.insert(sound_.requested[0]);
    }
    EXPECT_EQ(startSounds.size(), 2u);
}

} // namespace
} // namespace marloven::test
