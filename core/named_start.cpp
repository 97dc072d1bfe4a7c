#include "core/named_start.h"

#include "core/cfg_store.h"
#include "core/launch.h"
#include "core/mouse_tweak.h"
#include "core/settings.h"

#include <array>

namespace marloven {

namespace {

struct NamedStart {
    std::string_view name;
    int launchMode; // as ComposeSwitches takes it; -1 for a start without switches
    const char* program;
};

constexpr std::array<NamedStart, 7> kNamedStarts{{
    {"single", 0, "VK.EXE"},
    {"setup", -1, "SETUP.EXE"},
    {"dial", 2, "COMMIT.EXE"},
    {"answer", 3, "COMMIT.EXE"},
    {"connected", 4, "COMMIT.EXE"},
    {"network", 5, "COMMIT.EXE"},
    {"demo", -1, "VK.EXE"},
}};

} // namespace

std::optional<ProgramStart> ComposeNamedStart(std::string_view name, const CfgStore& store) {
    for (const NamedStart& start : kNamedStarts) {
        if (start.name != name) {
            continue;
        }
        if (start.launchMode < 0) {
            return ProgramStart{start.program, ""};
        }
        const MainSettings settings = ReadMainSettings(store);
        GameOptions options;
        options.netPred = true; // the window opens with "Disable Net Prediction " ticked
        options.ticDupPosition = settings.ticDup.value_or(0);
        ProgramStart composed{start.program, ComposeSwitches(start.launchMode, options)};
        if (settings.setMouse) {
            composed.program = kMouseTweakProgram;
        }
        return composed;
    }
    return std::nullopt;
}

} // namespace marloven
