// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <filesystem>
#include <optional>

namespace marloven {

class LauncherSettings;

class Prompter;

// The caption of the folder dialog that asks where the game is.
inline const QString kGameDirectoryQuestion = QStringLiteral("Where is Velkaran installed?");

// A game directory is one that holds the game's program, VK.EXE.
bool IsGameDirectory(const std::filesystem::path& directory);

// Asks for the game directory, opening the dialog at startIn, until the player picks
// one that holds VK.EXE (each other folder is refused with a word why) or cancels.
std::optional<std::filesystem::path> AskGameDirectory(Prompter& prompter,
                                                      const std::filesystem::path& startIn);

// The game directory for a start that names none: the current directory when it is one
// (started in the game's folder), else the one used last while it still is one, else
// the one the player picks. Nothing when the player cancels.
std::optional<std::filesystem::path> FindGameDirectory(Prompter& prompter,
                                                       const LauncherSettings& settings);

// Keeps a game directory for the next start that names none.
void RememberGameDirectory(LauncherSettings& settings, const std::filesystem::path& directory);

} // namespace marloven
