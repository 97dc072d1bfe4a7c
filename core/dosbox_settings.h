// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace marloven {

// When a DOS program is started through DOSBox.
enum class DosboxUse {
    Automatic, // where the system cannot run DOS programs itself
    Always,
    Never,
};

// The player's DOSBox settings. They belong to the player, not to the game, so they
// are kept with the launcher's own settings and never in the game directory.
struct DosboxSettings {
    std::string dosboxPath; // empty: found on the search path
    DosboxUse use = DosboxUse::Automatic;
    bool fullScreen = false;
    std::string playersConfiguration; // an extra file read after ours; empty for none
};

} // namespace marloven
