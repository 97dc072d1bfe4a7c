// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/game_dir.h"
#include "tests/ui/launcher_fixture.h"

#include <gtest/gtest.h>

namespace marloven::test {
namespace {

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(PrintCommand, PrintsWhatANamedStartWouldRunWithThePlayersSettingsAndExits) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows keeps the launcher's settings under %APPDATA%, which a test "
                    "cannot point elsewhere for the program it starts";
#endif
    // Lower-case programs and the mouse tweak stored on; the player's own DOSBox and
    // full screen in the launcher's settings, which the program reads for itself.
    const GameDir game({{"vk.exe", "MZ"},
                        {"commit.exe", "MZ"},
                        {"vksetms.exe", "MZ"},
                        {"VK.CFG", "TicDup = 8\r\nSetMouse = 1\r\n"},
                        {"my dosbox", ""}});
    const std::string dosbox = (game / "my dosbox").string();
    const GameDir config(
        {{"Marloven/marloven.ini", "[DOSBox]\nPath=" + dosbox + "\nFullScreen=true\n"}});
    const QString gamePath = QString::fromStdString(game.Path().string());

    std::string network;
    EXPECT_EQ(
        RunLauncherProgram({"--print-command", "network", gamePath}, {}, config.Path(), &network),
        0);
    EXPECT_EQ(network.rfind("DOS command line: VKSETMS.EXE -nopred -f3\n"
                            "Host command: \"" +
                                dosbox + "\" -conf marloven.conf\n",
                            0),
              0u)
        << network;
    EXPECT_TRUE(Has(network, "fullscreen=true\n")) << network;
    EXPECT_TRUE(
        Has(network, "mount C \"" + game.Path().string() +
                         "\"\nC:\nipxnet startserver 2130\nVKSETMS.EXE -nopred -f3\nexit\n"))
        << network;

    std::string setup;
    EXPECT_EQ(RunLauncherProgram({"--print-command=setup", gamePath}, {}, config.Path(), &setup),
              1);
    EXPECT_TRUE(Has(setup, "Not started: SETUP.EXE was not found!\n")) << setup;
    EXPECT_EQ(RunLauncherProgram({"--print-command", "bots", gamePath}, {}, config.Path()), 2);
}

} // namespace
} // namespace marloven::test
