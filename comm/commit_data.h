// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/key_lines.h"
#include "core/launch.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace marloven {

// The lines of the comm driver's COMMIT.DAT while a start rewrites its keys, and
// whether the file's last line ends with a break.
using CommitLines = KeyLines;

// The 41 lines the launcher writes when the game directory has no COMMIT.DAT.
const std::vector<std::string>& DefaultCommitLines();
// Those lines as the file holds them: CR LF after every line.
std::string DefaultCommitText();

// Sets one key by the configuration file's key rule: the first matching line becomes
// "NAME = value" in place (the name as given, the value in double quotes when quoted);
// a missing key is appended. Control bytes in the value become blanks (DriverLine).
void SetCommitKey(CommitLines& lines, std::string_view name, std::string_view value, bool quoted);

// The key that holds the network socket, in COMMIT.DAT and (read in any case) VK.CFG.
inline constexpr const char* kSocketNumberKey = "SOCKETNUMBER";

// The driver's own number for how a multiplayer start reaches the other players: 1
// dial, 2 answer, 3 already connected, 4 network, one below the launch mode.
constexpr int ConnectionMode(LaunchMode mode) {
    return static_cast<int>(mode) - 1;
}

// What a start hands the driver: the mode, its value and the main window's and the
// network dialog's texts, taken as they stand, unchecked.
struct CommitSettings {
    // A multiplayer mode: dial, answer, already connected or network.
    LaunchMode mode = LaunchMode::Answer;
    // Dial: the number picked in the phonebook. Network: the player count in decimal.
    // Answer and already connected: empty.
    std::string value;
    // The modem page: Init, Hangup, DialOut, UseTone, ComPort, IRQ, Uart and BaudRate.
    std::string init;
    std::string hangup;
    std::string dialOut;
    bool useTone = true;
    // The ComPort position: 0 to 7 for COM1 to COM8, 8 for "User Defined", -1 for none.
    int comPortIndex = -1;
    std::string irq;
    std::string uart;
    std::string baudRate;
    // The network dialog's Socket text.
    std::string socket;
    // Dial where the launcher places the call: the port of its local end, which the
    // driver dials in place of the number (the launcher calls the number itself); 0
    // when the driver dials the number.
    int launcherDialPort = 0;
};

// The new text of COMMIT.DAT: the file's text, or the default lines when there is no
// file, with the keys of the start's mode set in the driver's order. Lines that no key
// touched stay byte for byte; lines are joined with CR LF, and the text keeps whether
// its last line ended with a break.
std::string ComposeCommitData(const std::optional<std::string>& fileText,
                              const CommitSettings& settings);

} // namespace marloven
