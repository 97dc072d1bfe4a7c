// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/child_process.h"
#include "tests/support/game_dir.h"
#include "tests/ui/launcher_fixture.h"
#include "ui/main/modem_page.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace marloven::test {
namespace {

namespace fs = std::filesystem;

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(PrintCommand, PrintsWhatANamedStartWouldRunWithThePlayersSettingsAndExits) {
    if (kProgramSettingsFixed != nullptr) {
        GTEST_SKIP() << kProgramSettingsFixed;
    }
    // Lower-case programs and the mouse tweak stored on; the player's own DOSBox and
    // full screen in the launcher's settings, which the program reads for itself.
    const GameDir game({{"vk.exe", "MZ"},
                        {"commit.exe", "MZ"},
                        {"vksetms.exe", "MZ"},
                        {"VK.CFG", "TicDup = 8\r\nSetMouse = 1\r\n"},
                        {"my dosbox", ""}});
    const std::string dosbox = (game / "my dosbox").string();
    std::filesystem::permissions(dosbox, std::filesystem::perms::owner_exec,
                                 std::filesystem::perm_options::add);
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
                         "\"\nC:\nipxnet connect 127.0.0.1 2130\nVKSETMS.EXE -nopred -f3\nexit\n"))
        << network;

    std::string setup;
    EXPECT_EQ(RunLauncherProgram({"--print-command=setup", gamePath}, {}, config.Path(), &setup),
              1);
    EXPECT_TRUE(Has(setup, "Not started: SETUP.EXE was not found!\n")) << setup;
    EXPECT_EQ(RunLauncherProgram({"--print-command", "bots", gamePath}, {}, config.Path()), 2);
}

// The printed start takes the COM port as a window opened over the same VK.CFG shows
// it: COM3 where no line names one, "User Defined" where a UART of its own is stored.
TEST(PrintCommand, TakesTheComPortAsTheWindowShowsIt) {
    if (kProgramSettingsFixed != nullptr) {
        GTEST_SKIP() << kProgramSettingsFixed;
    }
    const std::string standard = "PlayerName = \"Ann\"\r\n";
    const std::string userDefined = standard + "UartAddress = 2E8\r\n";
    for (const std::string& cfg : {standard, userDefined}) {
        const GameDir game(
            {{"VK.EXE", "MZ"}, {"COMMIT.EXE", "MZ"}, {"VK.CFG", cfg}, {"dosbox", "#!/bin/sh\n"}});
        // A DOSBox the launcher may start: nothing is started here, but it must be a program.
        std::filesystem::permissions(game / "dosbox", std::filesystem::perms::owner_exec,
                                     std::filesystem::perm_options::add);
        const GameDir config(
            {{"Marloven/marloven.ini", "[DOSBox]\nPath=" + (game / "dosbox").string() + "\n"}});
        std::string printed;
        const int code = RunLauncherProgram(
            {"--print-command", "answer", QString::fromStdString(game.Path().string())}, {},
            config.Path(), &printed);
        Launcher window({{"VK.CFG", cfg}});
        ASSERT_TRUE(window.Window().LoadSettings());
        const int shown = window.Window().modemPage->comPortCombo->currentIndex();
        if (cfg == standard) {
            EXPECT_EQ(shown, 2);
            EXPECT_EQ(code, 0) << printed;
            EXPECT_TRUE(Has(printed, "\nserial3=modem")) << printed;
        } else {
            EXPECT_EQ(window.Window().modemPage->comPortCombo->currentText(), "User Defined");
            EXPECT_EQ(code, 1) << printed;
            EXPECT_TRUE(Has(printed, "COM1 to COM4 only")) << printed;
        }
    }
}

#ifndef _WIN32
// Runs the launcher with these arguments as bytes, as a shell would pass them (Qt's
// strings cannot carry a name that is not valid UTF-8); its exit code, and what it
// printed in `output`.
int RunWithBytes(const std::vector<std::string>& arguments, const fs::path& config,
                 std::string& output) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) {
        return -1;
    }
    const pid_t child = fork();
    if (child == 0) {
        dup2(pipeEnds[1], 1);
        close(pipeEnds[0]);
        std::vector<char*> argv{const_cast<char*>(MARLOVEN_PATH)};
        for (const std::string& argument : arguments) {
            argv.push_back(const_cast<char*>(argument.c_str()));
        }
        argv.push_back(nullptr);
        setenv("XDG_CONFIG_HOME", config.c_str(), 1);
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        execv(MARLOVEN_PATH, argv.data());
        _exit(127);
    }
    close(pipeEnds[1]);
    char buffer[4096];
    for (ssize_t got; (got = read(pipeEnds[0], buffer, sizeof buffer)) > 0;) {
        output.append(buffer, static_cast<std::size_t>(got));
    }
    close(pipeEnds[0]);
    return ExitCodeOf(child);
}
#endif

// A game directory whose name is not valid UTF-8 (Latin-1 "caf\xe9", as older disks have
// them), named on the command line, started inside or remembered: the launcher keeps its bytes,
// where it once stopped with "Cannot convert character sequence" or could not change
// to it.
TEST(PrintCommand, AGameDirectoryNamedInLatin1IsTakenByItsBytes) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows names are UTF-16";
#else
    const GameDir home({{"caf\xe9/VK.EXE", "MZ"}, {"caf\xe9/VK.CFG", "PlayerName = \"A\"\r\n"}});
    const fs::path game = home / "caf\xe9";
    fs::create_directory_symlink(game, home / "inside");
    const GameDir config({{"Marloven/marloven.ini", "[DOSBox]\nPath=/bin/true\n"}});
    const std::string mount = "mount C \"" + game.string() + "\"\n";

    std::string named;
    EXPECT_EQ(RunWithBytes({"--print-command", "single", game.string()}, config.Path(), named), 0)
        << named;
    EXPECT_TRUE(Has(named, mount)) << named;
    // Started inside, through a link with a plain name: the working directory is the
    // folder itself.
    std::string inside;
    EXPECT_EQ(
        RunLauncherProgram({"--print-command", "single"}, home / "inside", config.Path(), &inside),
        0);
    EXPECT_TRUE(Has(inside, mount)) << inside;
    EXPECT_EQ(RunLauncherProgram({"--answers=no"}, home / "inside", config.Path()), 0);
    // Remembered by its bytes, the next start from elsewhere finds it without asking.
    EXPECT_EQ(RunLauncherProgram({"--answers=no"}, home.Path(), config.Path()), 0);
#endif
}

} // namespace
} // namespace marloven::test
