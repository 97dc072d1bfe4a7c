// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/dosbox_output.h"

#include <gtest/gtest.h>

namespace marloven {
namespace {

// DOSBox reports some failures only in what it prints, and still ends with 0.
TEST(DosboxOutput, NamesTheCauseAndDosboxsLastLines) {
    const std::string sdl = "DOSBox version 0.74-3\r\nCONFIG:Loading primary settings\r\n"
                            "Exit to error: Can't init SDL Could not initialize video\r\n";
    const auto error = DosboxTrouble({0, false, sdl});
    ASSERT_TRUE(error);
    EXPECT_EQ(*error, "DOSBox stopped with an error: Can't init SDL Could not initialize video\n\n"
                      "DOSBox's last lines:\nDOSBox version 0.74-3\nCONFIG:Loading primary "
                      "settings\nExit to error: Can't init SDL Could not initialize video");
    const auto port = DosboxTrouble({0, false, "Serial2: Modem could not open TCP port 2323.\n"});
    ASSERT_TRUE(port);
    EXPECT_EQ(port->rfind("DOSBox could not make the link: Serial2: Modem could not open", 0), 0u);
    EXPECT_EQ(DosboxTrouble({1, false, ""}), "DOSBox ended with code 1.");
    EXPECT_EQ(DosboxTrouble({0, true, "x"}), "DOSBox crashed.\n\nDOSBox's last lines:\nx");
    EXPECT_FALSE(DosboxTrouble({0, false, "DOSBox version 0.74-3\nIPX: Connected to server.\n"}));
    EXPECT_EQ(LastLines("a\n\nb\nc\n", 2), (std::vector<std::string>{"b", "c"}));
}

TEST(DosboxOutput, ThePlayersAutoexecLinesAreReadInOrder) {
    EXPECT_EQ(AutoexecLines("[sdl]\nfullscreen=true\n[AUTOEXEC]\r\nkeyb gr\r\n\r\nmount d /cd\n"
                            "[mixer]\nrate=1\n"),
              (std::vector<std::string>{"keyb gr", "mount d /cd"}));
}

} // namespace
} // namespace marloven
