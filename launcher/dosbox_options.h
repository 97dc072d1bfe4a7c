// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/dosbox_settings.h"
#include "launcher/dos_engine.h"
#include "launcher/game_runner.h"

#include <memory>

namespace marloven {

class LauncherSettings;

// The player's DOSBox settings as kept with the launcher's settings; what was never
// set reads as DosboxSettings' defaults.
DosboxSettings LoadDosboxSettings(const LauncherSettings& stored);
void SaveDosboxSettings(LauncherSettings& stored, const DosboxSettings& settings);

// The runner for the game's programs: the system's, with DOSBox beneath it for DOS
// programs as the stored settings say at each start.
std::unique_ptr<GameRunner> MakeGameRunner(const LauncherSettings& stored,
                                           DosEngineRunner::LinkWatcher watcher = {});

} // namespace marloven
