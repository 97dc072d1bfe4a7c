#include "core/named_start.h"

#include "core/cfg_store.h"
#include "core/mouse_tweak.h"
#include "core/settings.h"

#include <array>

namespace marloven {

namespace {

struct NamedStart {
    StartName name;
    int launchMode; // as ComposeSwitches takes it; -1 for a start without switches
    const char* program;
};

const std::array<NamedStart, 7> kNamedStarts{{
    {{"single", "Single Player"}, 0, "VK.EXE"},
    {{"setup", "Setup"}, -1, "SETUP.EXE"},
    {{"dial", "Dial"}, 2, "COMMIT.EXE"},
    {{"answer", "Answer"}, 3, "COMMIT.EXE"},
    {{"connected", "Already Connected"}, 4, "COMMIT.EXE"},
    {{"network", "Network"}, 5, "COMMIT.EXE"},
    {{"demo", "Play Selected Demo"}, -1, "VK.EXE"},
}};

} // namespace

const std::vector<StartName>& StartNames() {
    static const std::vector<StartName> names = [] {
        std::vector<StartName> list;
        for (const NamedStart& start : kNamedStarts) {
            list.push_back(start.name);
        }
        return list;
    }();
    return names;
}

std::string StartNameList() {
    std::string list;
    for (const StartName& start : StartNames()) {
        list += list.empty() ? "" : ", ";
        list += start.name;
    }
    return list;
}

std::optional<ProgramStart> ComposeNamedStart(std::string_view name, const GameOptions& options,
                                              bool mouseTweak) {
    for (const NamedStart& start : kNamedStarts) {
        if (start.name.name != name) {
            continue;
        }
        if (start.launchMode < 0) {
            return ProgramStart{start.program, ""};
        }
        ProgramStart composed{start.program, ComposeSwitches(start.launchMode, options)};
        if (mouseTweak) {
            composed.program = kMouseTweakProgram;
        }
        return composed;
    }
    return std::nullopt;
}

GameOptions StoredGameOptions(const CfgStore& store) {
    GameOptions options;
    options.netPred = true; // the window opens with "Disable Net Prediction " ticked
    options.ticDupPosition = ReadMainSettings(store).ticDup.value_or(0);
    return options;
}

bool StoredMouseTweak(const CfgStore& store) {
    return ReadMainSettings(store).setMouse;
}

} // namespace marloven
