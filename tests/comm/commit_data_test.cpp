// SPDX-License-Identifier: GPL-3.0-or-later
#include "comm/commit_data.h"
#include "core/text.h"

#include <gtest/gtest.h>

namespace marloven {
namespace {

using namespace std::string_literals;

// Every text differs from the default file's values, so a key that was not set (or set
// from the wrong control) shows.
CommitSettings ModemSettings(LaunchMode mode, std::string value = "") {
    CommitSettings settings;
    settings.mode = mode;
    settings.value = std::move(value);
    settings.init = "AT&F1 E0";
    settings.hangup = "+++ATH";
    settings.dialOut = "ATDT";
    settings.useTone = false;
    settings.comPortIndex = 3;
    settings.irq = "7";
    settings.uart = "3e8";
    settings.baudRate = "115200";
    settings.socket = "4711";
    return settings;
}

CommitSettings NetworkSettings(std::string socket, std::string players = "4") {
    CommitSettings settings = ModemSettings(LaunchMode::Network, std::move(players));
    settings.socket = std::move(socket);
    return settings;
}

std::vector<std::string> LinesOf(const std::string& text) {
    return SplitLines(text).lines;
}

TEST(CommitDefaultFile, HasTheFortyOneLinesWithCrLfAfterEachAndNoTrailingBlanks) {
    const auto text = DefaultCommitText();
    const auto split = SplitLines(text);
    ASSERT_EQ(split.lines.size(), 41u);
    EXPECT_TRUE(split.endsWithBreak);
    EXPECT_EQ(text.substr(text.size() - 15), "SHOWSTATS = 0\r\n");
    EXPECT_EQ(split.lines[3],
              ";This data file defines the configurable options of COMMIT.  Presumably,");
    EXPECT_EQ(split.lines[30], "INITSTRING = \"ATZ\"");
    for (const auto& line : split.lines) {
        EXPECT_NE(line.back(), ' ') << line;
    }
}

TEST(ComposeCommitData, AnswerWithoutAFileChangesElevenDefaultLinesInPlace) {
    auto expected = DefaultCommitLines();
    expected[25] = "COMMTYPE = 2";
    expected[26] = "NUMPLAYERS = 2";
    expected[30] = "INITSTRING = \"AT&F1 E0\"";
    expected[31] = "HANGUPSTRING = \"+++ATH\"";
    expected[32] = "PHONENUMBER = \"ATDT\"";
    expected[34] = "CONNECTTYPE = 1";
    expected[35] = "USETONE = 0";
    expected[36] = "COMPORT = 4";
    expected[37] = "IRQNUMBER = 7";
    expected[38] = "UARTADDRESS = 3e8";
    expected[39] = "PORTSPEED = 115200";

    const auto text = ComposeCommitData(std::nullopt, ModemSettings(LaunchMode::Answer));
    EXPECT_EQ(LinesOf(text), expected);
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
}

TEST(ComposeCommitData, AnEmptyFileGetsOnlyTheStartsKeysAppendedInOrder) {
    EXPECT_EQ(ComposeCommitData(std::string(), NetworkSettings("213", "6")),
              "COMMTYPE = 3\r\nNUMPLAYERS = 6\r\nSOCKETNUMBER = 213\r\n");

    EXPECT_EQ(LinesOf(ComposeCommitData(std::string(), ModemSettings(LaunchMode::Dial, "9"))),
              (std::vector<std::string>{
                  "COMMTYPE = 2", "CONNECTTYPE = 0", "NUMPLAYERS = 2", "PHONENUMBER = \"ATDT9\"",
                  "INITSTRING = \"AT&F1 E0\"", "HANGUPSTRING = \"+++ATH\"", "USETONE = 0",
                  "COMPORT = 4", "IRQNUMBER = 7", "UARTADDRESS = 3e8", "PORTSPEED = 115200"}));
}

TEST(ComposeCommitData, EachModeKeepsTheKeysOfTheOtherKind) {
    const auto modem = ComposeCommitData(std::nullopt, ModemSettings(LaunchMode::Answer));
    const auto network = ComposeCommitData(modem, NetworkSettings("213"));
    auto expected = LinesOf(modem);
    expected[25] = "COMMTYPE = 3";
    expected[26] = "NUMPLAYERS = 4";
    expected[29] = "SOCKETNUMBER = 213";
    EXPECT_EQ(LinesOf(network), expected);

    // The already connected link is a modem link with CONNECTTYPE 2, never COMMTYPE 1.
    const auto linked =
        LinesOf(ComposeCommitData(network, ModemSettings(LaunchMode::AlreadyConnected)));
    EXPECT_EQ(linked[25], "COMMTYPE = 2");
    EXPECT_EQ(linked[29], "SOCKETNUMBER = 213");
    EXPECT_EQ(linked[34], "CONNECTTYPE = 2");
}

TEST(ComposeCommitData, FindsKeysByTheKeyRuleAndRewritesOnlyTheFirstMatch) {
    const std::string file = "commtype=3\r\n"
                             ";COMMTYPE = 1\r\n"
                             "; - SERIAL - 1\r\n"
                             " Num Players  = 8 ; remark\r\n"
                             "COMMTYPE = 1\r\n"
                             "SOCKETNUMBER\t= 99\r\n";
    EXPECT_EQ(LinesOf(ComposeCommitData(file, NetworkSettings("213", "3"))),
              (std::vector<std::string>{"COMMTYPE = 3", ";COMMTYPE = 1", "; - SERIAL - 1",
                                        "NUMPLAYERS = 3", "COMMTYPE = 1",
                                        // A tab is no blank: that line keeps its key and the
                                        // key is appended.
                                        "SOCKETNUMBER\t= 99", "SOCKETNUMBER = 213"}));
}

TEST(ComposeCommitData, WritesTheSocketTextExceptALoneTilde) {
    const auto socketLine = [](const std::string& socket) {
        return LinesOf(ComposeCommitData(std::string(), NetworkSettings(socket)))[2];
    };
    EXPECT_EQ(socketLine("~"), "SOCKETNUMBER = 34889");
    EXPECT_EQ(socketLine(""), "SOCKETNUMBER = ");
    EXPECT_EQ(socketLine("~1"), "SOCKETNUMBER = ~1");
}

TEST(ComposeCommitData, JoinsDialOutAndNumberAndQuotesWithoutEscaping) {
    const auto phoneLine = [](CommitSettings settings) {
        return LinesOf(ComposeCommitData(std::string(), settings))[3];
    };
    EXPECT_EQ(phoneLine(ModemSettings(LaunchMode::Dial, "555-1234")),
              "PHONENUMBER = \"ATDT555-1234\"");
    EXPECT_EQ(phoneLine(ModemSettings(LaunchMode::Answer)), "PHONENUMBER = \"ATDT\"");
    // Where the launcher places the call, the driver dials the launcher's own end.
    auto through = ModemSettings(LaunchMode::Dial, "velkaran.example.org:2323");
    through.launcherDialPort = 40123;
    EXPECT_EQ(phoneLine(through), "PHONENUMBER = \"ATDT127.0.0.1:40123\"");
    auto settings = ModemSettings(LaunchMode::AlreadyConnected);
    settings.dialOut.clear();
    EXPECT_EQ(phoneLine(settings), "PHONENUMBER = \"\"");
    settings.init = "AT\"X";
    EXPECT_EQ(LinesOf(ComposeCommitData(std::string(), settings))[4], "INITSTRING = \"AT\"X\"");
}

TEST(ComposeCommitData, WritesThePortPositionPlusOne) {
    const auto portLine = [](int index) {
        auto settings = ModemSettings(LaunchMode::Answer);
        settings.comPortIndex = index;
        return LinesOf(ComposeCommitData(std::string(), settings))[7];
    };
    EXPECT_EQ(portLine(0), "COMPORT = 1");
    EXPECT_EQ(portLine(8), "COMPORT = 9");  // "User Defined"
    EXPECT_EQ(portLine(-1), "COMPORT = 0"); // nothing selected
}

TEST(ComposeCommitData, WritesUntouchedLinesBackByteForByteWithCrLf) {
    // Lone LF and lone CR ends become CR LF; high bytes, NUL and the missing final break
    // stay.
    const auto file = "[Commit]\n;\xE9t\xE9\0x\rLAUNCHNAME = \"VK.EXE\"\r\nNUMPLAYERS = 8"s;
    EXPECT_EQ(ComposeCommitData(file, NetworkSettings("1", "2")),
              "[Commit]\r\n;\xE9t\xE9\0x\r\nLAUNCHNAME = \"VK.EXE\"\r\n"
              "NUMPLAYERS = 2\r\nCOMMTYPE = 3\r\nSOCKETNUMBER = 1"s);
}

} // namespace
} // namespace marloven
