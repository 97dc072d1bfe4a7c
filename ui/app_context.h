#pragma once

#include <filesystem>

namespace marloven {

class CfgStore;
class Prompter;
class ProgramRunner;
class SoundPlayer;

// What every window of the launcher works with: the game directory, the
// configuration store and the services that tests replace with doubles.
struct AppContext {
    std::filesystem::path startDir;
    CfgStore& store;
    Prompter& prompter;
    ProgramRunner& runner;
    SoundPlayer& sound;
};

} // namespace marloven
