#pragma once

#include "core/dosbox_settings.h"
#include "platform/program_runner.h"

#include <memory>

namespace marloven {

// The player's DOSBox settings as kept with the launcher's settings; what was never
// set reads as DosboxSettings' defaults.
DosboxSettings LoadDosboxSettings();
void SaveDosboxSettings(const DosboxSettings& settings);

// The runner for the game's programs: the system's, with DOSBox beneath it for DOS
// programs as the stored settings say at each start.
std::unique_ptr<ProgramRunner> MakeGameRunner();

} // namespace marloven
