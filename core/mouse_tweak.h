// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <string>
#include <system_error>

namespace marloven {

inline constexpr const char* kMouseTweakFileName = "VKSETMS.DAT";
inline constexpr const char* kMouseTweakProgram = "VKSETMS.EXE";

// What the mouse-tweak program is told: the program it starts in the launcher's stead,
// that program's switches, and the two settings exactly as the player typed them.
struct MouseTweakOrder {
    std::string program;
    std::string arguments;
    std::string horizontal;
    std::string vertical;
};

// The four lines, each ended by CR LF; an empty field gives an empty line. A line break
// or other control byte (tab and DEL too) inside a field becomes a blank (see DriverLine).
std::string ComposeMouseTweakData(const MouseTweakOrder& order);

// Writes VKSETMS.DAT into the game directory, replacing any older one. Returns the
// failure (see DescribeWriteError), or an empty error code on success.
std::error_code WriteMouseTweakFile(const std::filesystem::path& gameDir,
                                    const MouseTweakOrder& order);

} // namespace marloven
