#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace marloven {

class CfgStore;

// A start the player can name on the command line, as the main window's buttons make
// it: "single", "setup", "dial", "answer", "connected", "network" or "demo" (playback).
inline constexpr const char* kStartNames = "single, setup, dial, answer, connected, network, demo";

// The program and switches a start runs in the game directory.
struct ProgramStart {
    std::string program;
    std::string arguments;
};

// What the named start runs with VK.CFG as stored, as in a window just opened (no demo
// being recorded): the game's switches, and VKSETMS.EXE in the program's place when
// the mouse tweak is on. Nothing for a name that is no start.
std::optional<ProgramStart> ComposeNamedStart(std::string_view name, const CfgStore& store);

} // namespace marloven
