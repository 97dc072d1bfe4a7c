// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/launch.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace marloven {

class CfgStore;

// A start the player can name, as the main window's buttons make it: its name on the
// command line and its caption in the window.
struct StartName {
    std::string_view name;
    std::string_view caption;
};
// single, setup, dial, answer, connected, network, demo (playback).
const std::vector<StartName>& StartNames();
// The names for messages: "single, setup, ...".
std::string StartNameList();

// The mode of the named comm-driver start (dial, answer, connected, network); nothing
// for the other starts.
std::optional<LaunchMode> CommDriverStartMode(std::string_view name);

// The program and switches a start runs in the game directory.
struct ProgramStart {
    std::string program;
    std::string arguments;
};

// What the named start runs with these options: the game's switches, and VKSETMS.EXE
// in the program's place when the mouse tweak is on (setup and demo playback never go
// through it). Nothing for a name that is no start.
std::optional<ProgramStart> ComposeNamedStart(std::string_view name, const GameOptions& options,
                                              bool mouseTweak);

// The options of a window just opened over VK.CFG as stored (no demo being recorded),
// and whether the mouse tweak is on there.
GameOptions StoredGameOptions(const CfgStore& store);
bool StoredMouseTweak(const CfgStore& store);
// The position the COM port list of such a window shows: COM3 where VK.CFG has no
// ComPort line, "User Defined" where it holds a UART or IRQ of its own, -1 for none.
int StoredComPortIndex(const CfgStore& store);

} // namespace marloven
