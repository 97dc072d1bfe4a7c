// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace marloven {

// Returns fileName alone when directory is empty; otherwise directory without one
// trailing separator, the separator, fileName. JoinPath uses the platform's own
// separator ('\\' on Windows, '/' elsewhere); JoinPathWith takes it explicitly (tests use both).
std::string JoinPathWith(char separator, std::string_view directory, std::string_view fileName);
std::string JoinPath(std::string_view directory, std::string_view fileName);

// The switch alone when line is empty; otherwise line, one blank, switch.
std::string AppendArg(std::string_view line, std::string_view switchText);

// The programs the launcher starts, all in the game directory.
inline constexpr const char* kGameProgram = "VK.EXE";
inline constexpr const char* kSetupProgram = "SETUP.EXE";
inline constexpr const char* kCommDriverProgram = "COMMIT.EXE";

// The sounds, in the game directory: at start-up, after each game, and at the farewell.
inline constexpr const char* kStartupSound = "SOUNDS.WAV";
inline constexpr const char* kGameEndSound = "SOUNDE.WAV";
inline constexpr const char* kFarewellSound = "SOUNDD.WAV";

// How a game is started. The numbers are the ones the game's starts have always had;
// there is no 1, since the bots button starts nothing.
enum class LaunchMode { SinglePlayer = 0, Dial = 2, Answer = 3, AlreadyConnected = 4, Network = 5 };

// "Disable Net Prediction " is ticked when the main window opens.
inline constexpr bool kNetPredTickedOnOpening = true;

struct GameOptions {
    bool netPred = false;    // "Disable Net Prediction " ticked
    bool recordDemo = false; // "Record Demo" ticked
    int levelPosition = -1;  // StartLevel position, -1 when nothing selected
    int skillPosition = -1;  // StartSkill position
    int ticDupPosition = -1; // TicDup position
};

std::string ComposeSwitches(LaunchMode mode, const GameOptions& options);

// The command line as the player reads it in messages: the full path, one blank, the
// arguments (so it ends with a blank when there are none).
std::string CommandLineText(std::string_view path, std::string_view arguments);
// The same line for a system that splits it again itself: the path is put in double
// quotes when it holds a blank; the arguments stay as they are.
std::string QuotedCommandLine(std::string_view path, std::string_view arguments);

// Arguments joined into one line that a Windows program's start-up code splits back
// into the same arguments: one with a blank or a double quote is quoted, with the
// backslashes before a quote doubled.
std::string WindowsArgumentLine(const std::vector<std::string>& arguments);

} // namespace marloven
