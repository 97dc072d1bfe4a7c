// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <functional>
#include <memory>

namespace marloven {

class CfgStore;
class Prompter;
class GameRunner;
class LauncherSettings;
class RegistrySource;
class SoundPlayer;

// What every window of the launcher works with: the game directory, the
// configuration store and the services that tests replace with doubles.
struct AppContext {
    std::filesystem::path startDir;
    CfgStore& store;
    Prompter& prompter;
    GameRunner& runner;
    SoundPlayer& sound;
    // The launcher's own settings (which DOSBox, the links last chosen, ...).
    LauncherSettings& settings;
    // Opens where the installed modems are read from, anew for each detection so that
    // what the player changed meanwhile is seen; unset, no modem is found.
    std::function<std::unique_ptr<RegistrySource>()> openModems = {};
    // Leaves this game directory for another one holding the game; unset, the launcher
    // cannot switch.
    std::function<void(const std::filesystem::path&)> openGameDirectory = {};
};

} // namespace marloven
