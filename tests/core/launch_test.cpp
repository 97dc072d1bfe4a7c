// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/launch.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace marloven {
namespace {

TEST(JoinPath, DropsOneTrailingSeparatorSoADriveRootGetsASingleBackslash) {
    EXPECT_EQ(JoinPathWith('\\', "C:\\", "VK.EXE"), "C:\\VK.EXE");
    EXPECT_EQ(JoinPathWith('\\', "C:\\GAMES\\VK", "VK.EXE"), "C:\\GAMES\\VK\\VK.EXE");
    // Only one separator goes: a doubled one keeps its first half.
    EXPECT_EQ(JoinPathWith('\\', "C:\\VK\\\\", "SETUP.EXE"), "C:\\VK\\\\SETUP.EXE");
    EXPECT_EQ(JoinPathWith('\\', "", "VK.EXE"), "VK.EXE");
    // The other system's separator is part of the name, not a separator.
    EXPECT_EQ(JoinPathWith('\\', "C:\\VK/", "VK.EXE"), "C:\\VK/\\VK.EXE");

    EXPECT_EQ(JoinPathWith('/', "/", "VK.EXE"), "/VK.EXE");
    EXPECT_EQ(JoinPathWith('/', "/home/p/vk/", "VK.EXE"), "/home/p/vk/VK.EXE");
    EXPECT_EQ(JoinPathWith('/', "/home/p/vk", "VK.EXE"), "/home/p/vk/VK.EXE");
}

TEST(JoinPath, UsesTheSeparatorOfThisSystem) {
    EXPECT_EQ(JoinPath("game", "VK.EXE"),
              std::string("game") + char(std::filesystem::path::preferred_separator) + "VK.EXE");
}

TEST(AppendArg, SeparatesSwitchesByOneBlankWithNoneAtTheEnds) {
    EXPECT_EQ(AppendArg("", "-f1"), "-f1");
    EXPECT_EQ(AppendArg("-nopred", "-f1"), "-nopred -f1");
    EXPECT_EQ(AppendArg(AppendArg("", "-a"), "-b"), "-a -b");
}

TEST(CommandLine, KeepsTheBlankBeforeAnEmptyArgumentLine) {
    EXPECT_EQ(CommandLineText("C:\\GAMES\\VK\\SETUP.EXE", ""), "C:\\GAMES\\VK\\SETUP.EXE ");
    EXPECT_EQ(CommandLineText("C:\\VK.EXE", "-nopred -f2"), "C:\\VK.EXE -nopred -f2");
}

TEST(CommandLine, QuotesAPathWithBlanksSoNoOtherProgramStartsInItsPlace) {
    EXPECT_EQ(QuotedCommandLine("C:\\Program Files\\VK\\VK.EXE", "-nopred -f2"),
              "\"C:\\Program Files\\VK\\VK.EXE\" -nopred -f2");
    EXPECT_EQ(QuotedCommandLine("C:\\My Games\\SETUP.EXE", ""), "\"C:\\My Games\\SETUP.EXE\" ");
    EXPECT_EQ(QuotedCommandLine("C:\\GAMES\\VK\\VK.EXE", "-f1"), "C:\\GAMES\\VK\\VK.EXE -f1");
}

GameOptions Options(bool netPred, bool recordDemo, int level, int skill, int ticDup) {
    return GameOptions{netPred, recordDemo, level, skill, ticDup};
}

TEST(ComposeSwitches, SinglePlayerAddsLevelAndSkillOnlyWhenRecording) {
    EXPECT_EQ(ComposeSwitches(LaunchMode::SinglePlayer, Options(true, true, 0, 2, 0)),
              "-nopred -dr$$MRV$$.DMO -level1 -s3");
    EXPECT_EQ(ComposeSwitches(LaunchMode::SinglePlayer, Options(false, true, 3, 0, 0)),
              "-dr$$MRV$$.DMO -level4 -s1");
    EXPECT_EQ(ComposeSwitches(LaunchMode::SinglePlayer, Options(true, false, 3, 3, 3)), "-nopred");
    EXPECT_EQ(ComposeSwitches(LaunchMode::SinglePlayer, Options(false, false, 0, 2, 0)), "");
    // A skill typed over (nothing selected) gives -s0; a list without selection -level0.
    EXPECT_EQ(ComposeSwitches(LaunchMode::SinglePlayer, Options(false, true, -1, -1, 0)),
              "-dr$$MRV$$.DMO -level0 -s0");
}

TEST(ComposeSwitches, TicdupGoesToAnswerAlreadyAndNetworkButNeverToDialOrSinglePlayer) {
    // The number is the list position, not the ticdup value 2, 4 or 8.
    EXPECT_EQ(ComposeSwitches(LaunchMode::Network, Options(false, false, 0, 2, 2)), "-f2");
    EXPECT_EQ(ComposeSwitches(LaunchMode::Network, Options(false, false, 0, 2, 3)), "-f3");
    EXPECT_EQ(ComposeSwitches(LaunchMode::Answer, Options(false, false, 0, 2, 1)), "-f1");
    EXPECT_EQ(ComposeSwitches(LaunchMode::AlreadyConnected, Options(true, false, 0, 2, 3)),
              "-nopred -f3");
    EXPECT_EQ(ComposeSwitches(LaunchMode::Dial, Options(false, false, 0, 2, 3)), "");
    EXPECT_EQ(ComposeSwitches(LaunchMode::SinglePlayer, Options(false, false, 0, 2, 3)), "");
    for (const LaunchMode mode :
         {LaunchMode::Answer, LaunchMode::AlreadyConnected, LaunchMode::Network}) {
        EXPECT_EQ(ComposeSwitches(mode, Options(false, false, 0, 2, 0)), "")
            << static_cast<int>(mode);
        EXPECT_EQ(ComposeSwitches(mode, Options(false, false, 0, 2, -1)), "")
            << static_cast<int>(mode);
    }
}

TEST(ComposeSwitches, MultiplayerRecordingPassesTheDemoButNoLevelOrSkill) {
    for (const LaunchMode mode : {LaunchMode::Dial, LaunchMode::Answer,
                                  LaunchMode::AlreadyConnected, LaunchMode::Network}) {
        EXPECT_EQ(ComposeSwitches(mode, Options(false, true, 0, 2, 0)), "-dr$$MRV$$.DMO")
            << static_cast<int>(mode);
    }
    EXPECT_EQ(ComposeSwitches(LaunchMode::Network, Options(true, true, 2, 1, 1)),
              "-nopred -dr$$MRV$$.DMO -f1");
}

TEST(WindowsArgumentLine, SplitsBackIntoTheSameArgumentsBlanksQuotesAndBackslashesIncluded) {
    EXPECT_EQ(WindowsArgumentLine({"-conf", "C:\\Users\\A B\\Temp\\m.conf", "-conf",
                                   "C:\\My Games\\", "", "say \"hi\"", "a\\\\\"b"}),
              "-conf \"C:\\Users\\A B\\Temp\\m.conf\" -conf \"C:\\My Games\\\\\" \"\" "
              "\"say \\\"hi\\\"\" \"a\\\\\\\\\\\"b\"");
}

} // namespace
} // namespace marloven
