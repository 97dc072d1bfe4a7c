// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/settings.h"

#include "core/cfg_store.h"
#include "tests/support/game_dir.h"

#include <gtest/gtest.h>

namespace marloven {
namespace {

using test::GameDir;

MainSettings SettingsOf(const std::string& cfg) {
    GameDir dir({{"VK.CFG", cfg}});
    CfgStore store(dir.Path());
    store.CfgLoad();
    return ReadMainSettings(store);
}

TEST(WholeNumbers, AcceptDecimalsWithBlanksAndSignButNothingElse) {
    EXPECT_EQ(ParseWholeNumber("7"), 7);
    EXPECT_EQ(ParseWholeNumber(" 07 "), 7); // a trailing blank stays in a stored value
    EXPECT_EQ(ParseWholeNumber("+3"), 3);
    EXPECT_EQ(ParseWholeNumber("-1"), -1);
    for (const char* bad : {"", " ", "3F8", "1.5", "+", "+-2", "0x10", "99999999999"}) {
        EXPECT_FALSE(ParseWholeNumber(bad)) << bad;
    }
}

TEST(ListChoices, NumbersOutsideTheRangeClearTheListButNonNumbersLeaveIt) {
    EXPECT_EQ(ColorChoice("7"), 7);
    EXPECT_EQ(ColorChoice("8"), -1);
    EXPECT_EQ(ColorChoice("-1"), -1);
    EXPECT_EQ(ColorChoice("red"), std::nullopt);

    // The stored port is one more than its position; 9 is "User Defined".
    EXPECT_EQ(ComPortChoice("1"), 0);
    EXPECT_EQ(ComPortChoice("9"), kUserDefinedPortPosition);
    EXPECT_EQ(ComPortChoice("0"), -1);
    EXPECT_EQ(ComPortChoice("10"), -1);
    EXPECT_EQ(ComPortChoice("COM2"), std::nullopt);
}

TEST(ListChoices, SpeedsAndTicdupsSelectOnlyTheirListedNumbers) {
    EXPECT_EQ(BaudRateChoice("9600"), 0);
    EXPECT_EQ(BaudRateChoice("115200"), 4);
    EXPECT_EQ(BaudRateChoice("14400"), std::nullopt);
    EXPECT_EQ(BaudRateChoice("fast"), std::nullopt);

    // The stored value is the ticdup itself, not the list position.
    EXPECT_EQ(TicDupChoice("0"), 0);
    EXPECT_EQ(TicDupChoice("2"), 1);
    EXPECT_EQ(TicDupChoice("8"), 3);
    EXPECT_EQ(TicDupChoice("1"), std::nullopt);
    EXPECT_EQ(TicDupChoice("3"), std::nullopt);
}

TEST(ComPortRule, StoresOneMoreThanThePositionAndTreatsEitherValueAsUserDefined) {
    EXPECT_EQ(ComPortValue(3), "4");
    EXPECT_EQ(ComPortValue(kUserDefinedPortPosition), "9");
    EXPECT_FALSE(IsUserDefinedPort("~", "~"));
    EXPECT_TRUE(IsUserDefinedPort("3F8", "~"));
    EXPECT_TRUE(IsUserDefinedPort("~", "4"));
    // Only the exact mark counts: a blank after it makes the port user defined.
    EXPECT_TRUE(IsUserDefinedPort("~ ", "~"));
}

TEST(MainSettingsRead, AnEmptyFileGivesTheLauncherDefaults) {
    const auto s = SettingsOf("");
    EXPECT_EQ(s.playerName, "Revu");
    EXPECT_EQ(s.color, 0);
    EXPECT_EQ(s.comPort, 2);
    EXPECT_EQ(s.irq, "~");
    EXPECT_EQ(s.uart, "~");
    EXPECT_EQ(s.baudRate, 3);
    EXPECT_FALSE(s.setMouse);
    EXPECT_EQ(s.smHorz, "50");
    EXPECT_EQ(s.smVert, "0");
    EXPECT_TRUE(s.toneDial);
    EXPECT_EQ(s.init, "AT&F1");
    EXPECT_EQ(s.hangup, "ATH0=0");
    EXPECT_EQ(s.dialOut, "");
    EXPECT_EQ(s.ticDup, 0);
    EXPECT_FALSE(s.userDefinedPort);
}

TEST(MainSettingsRead, AStoredUartMakesThePortUserDefinedWhateverComPortHolds) {
    const auto s = SettingsOf("ComPort = 2\r\nUartAddress = 3F8\r\nIrqNumber = ~\r\n");
    EXPECT_EQ(s.comPort, kUserDefinedPortPosition);
    EXPECT_TRUE(s.userDefinedPort);
    EXPECT_EQ(s.uart, "3F8");
}

TEST(MainSettingsRead, ComPortNineWithStandardValuesShowsUserDefinedButEnablesNothing) {
    const auto s = SettingsOf("ComPort = 9\r\nUartAddress = ~\r\nIrqNumber = ~\r\n");
    EXPECT_EQ(s.comPort, kUserDefinedPortPosition);
    EXPECT_FALSE(s.userDefinedPort);
}

TEST(MainSettingsRead, ChecksTickOnlyForExactlyOneAndMacrosFollowTheirNumbers) {
    // Macros out of order and with gaps; mixed-case keys as the launcher writes them.
    const std::string cfg = "SetMouse = 1\r\nSM_Horz = 70\r\nSM_Vert = 5\r\n"
                            "ToneDial = 1 \r\n"
                            "CommbatMacro#7 = \"  spaced\"\r\n"
                            "commbatmacro#2=\"Hi there\"\r\n";
    const auto s = SettingsOf(cfg);
    EXPECT_TRUE(s.setMouse);
    EXPECT_EQ(s.smHorz, "70");
    EXPECT_EQ(s.smVert, "5");
    EXPECT_FALSE(s.toneDial); // "1 " is not "1"

    GameDir dir({{"VK.CFG", cfg}});
    CfgStore store(dir.Path());
    store.CfgLoad();
    const auto macros = ReadMacros(store);
    EXPECT_EQ(macros[2], "Hi there");
    EXPECT_EQ(macros[7], "  spaced");
    EXPECT_EQ(macros[0], "");
    EXPECT_EQ(macros[9], "");
}

TEST(MapPath, IsRelativeInsideTheGameDirectoryAndFullOutsideIt) {
    GameDir dir({{"MAPS/ARENA.WAD", "x"}, {"TOP.WAD", "y"}});
    const auto sep = std::string(1, std::filesystem::path::preferred_separator);
    EXPECT_EQ(MapPathFor(dir.Path(), dir / "TOP.WAD"), "TOP.WAD");
    EXPECT_EQ(MapPathFor(dir.Path(), dir / "MAPS/ARENA.WAD"), "MAPS" + sep + "ARENA.WAD");
    // A sibling whose name merely begins with the game directory's name is outside it.
    const auto sibling = dir.Path().string() + "X" + sep + "M.WAD";
    EXPECT_EQ(MapPathFor(dir.Path(), sibling), std::filesystem::path(sibling).string());
}

} // namespace
} // namespace marloven
