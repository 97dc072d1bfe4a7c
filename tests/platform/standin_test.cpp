// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/platform/standin_game.h"
#include "ui/starts/launch.h"

namespace marloven::test {
namespace {

// Later tests of set-up, demos and multiplayer starts rely on the stand-in acting
// like the programs it stands in for.
using StandinTest = StandinGame;

TEST_F(StandinTest, SetupWritesAConfigurationOnlyWhereThereIsNone) {
    InstallAll();
    RunProgram(context_, &window_, "SETUP.EXE", "");
    const std::string written = dir_.Read("VK.CFG");
    EXPECT_NE(written.find("PlayerName = \""), std::string::npos);
    store_.CfgLoad();
    EXPECT_EQ(store_.CfgGet("PortSpeed"), "57600");

    dir_.Write("VK.CFG", "PlayerName = \"Kept\"\r\n");
    RunProgram(context_, &window_, "SETUP.EXE", "");
    EXPECT_EQ(dir_.Read("VK.CFG"), "PlayerName = \"Kept\"\r\n");
}

TEST_F(StandinTest, TheGameReportsTheDemoItWouldPlay) {
    InstallAll();
    dir_.Write("DEMO1.DMO", std::string(37, 'd'));
    RunProgram(context_, &window_, "VK.EXE", "");
    EXPECT_NE(Log().find("demo DEMO1.DMO 37\n"), std::string::npos);
}

TEST_F(StandinTest, TheDriverStartsTheLaunchNameWithItsOwnSwitches) {
    InstallAll();
    dir_.Write("COMMIT.DAT", ";COMMIT data file\r\nCOMMTYPE = 4\r\n launchname=\"VK.EXE\"\r\n");
    RunProgram(context_, &window_, "COMMIT.EXE", "-nopred -f3");
    const std::string log = Log();
    EXPECT_NE(log.find("file COMMIT.DAT\n| ;COMMIT data file\n| COMMTYPE = 4\n"), std::string::npos)
        << log;
    EXPECT_NE(log.find("starts VK.EXE -nopred -f3\nend\nstart VK.EXE\narg -nopred\narg -f3\n"),
              std::string::npos)
        << log;
}

TEST_F(StandinTest, AHelperWhoseProgramIsMissingSaysSoAndStartsNothing) {
    Install("VKSETMS.EXE");
    dir_.Write("VKSETMS.DAT", "VK.EXE\r\n-nopred\r\n50\r\n0\r\n");
    RunProgram(context_, &window_, "VKSETMS.EXE", "-nopred");
    const std::string log = Log();
    EXPECT_NE(log.find("cannot start VK.EXE\nend\n"), std::string::npos) << log;
    EXPECT_EQ(log.find("\nstart VK.EXE\n"), std::string::npos) << log;
}

} // namespace
} // namespace marloven::test
