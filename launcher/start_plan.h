// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "comm/internet_link.h"
#include "core/dosbox_start.h"
#include "core/launch.h"
#include "launcher/game_runner.h"

#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

namespace marloven {

class LauncherSettings;

// The start of one of the game's programs (a bare name such as "VK.EXE") from the game
// directory, the file found whatever the case of its name.
GameStart MakeGameStart(const std::filesystem::path& gameDir, const std::string& program,
                        const std::string& arguments);

// What that start would run, as the runner would make it; refused with " was not
// found!" when the program is not there.
// A comm-driver start gives the link that DOSBox would carry for it.
PlannedStart PlanGameStart(const GameRunner& runner, const std::filesystem::path& gameDir,
                           const std::string& program, const std::string& arguments,
                           const std::optional<InternetLink>& link = std::nullopt);

// What the named start (see StartNames) would run with these options; nothing for a
// name that is no start.
std::optional<PlannedStart> PlanNamedStart(const GameRunner& runner,
                                           const std::filesystem::path& gameDir,
                                           std::string_view name, const GameOptions& options,
                                           bool mouseTweak,
                                           const std::optional<InternetLink>& link = std::nullopt);

// "marloven --print-command NAME": writes what the named start would run with the game
// directory's VK.CFG as stored (a comm-driver start with the link last chosen), and returns the
// exit code: 0, 1 when VK.CFG cannot be read or the start would be refused, 2 for a name that is no
// start.
int PrintNamedStart(std::string_view name, const std::filesystem::path& gameDir,
                    const GameRunner& runner, const LauncherSettings& settings, std::ostream& out,
                    std::ostream& errors);

} // namespace marloven
