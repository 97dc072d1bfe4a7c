// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/named_start.h"

#include "core/cfg_store.h"
#include "core/mouse_tweak.h"
#include "core/settings.h"

#include <array>

namespace marloven {

namespace {

struct NamedStart {
    StartName name;
    std::optional<LaunchMode> mode; // none for a start without the game's switches
    const char* program;
};

const std::array<NamedStart, 7> kNamedStarts{{
    {{"single", "Single Player"}, LaunchMode::SinglePlayer, kGameProgram},
    {{"setup", "Setup"}, std::nullopt, kSetupProgram},
    {{"dial", "Dial"}, LaunchMode::Dial, kCommDriverProgram},
    {{"answer", "Answer"}, LaunchMode::Answer, kCommDriverProgram},
    {{"connected", "Already Connected"}, LaunchMode::AlreadyConnected, kCommDriverProgram},
    {{"network", "Network"}, LaunchMode::Network, kCommDriverProgram},
    {{"demo", "Play Selected Demo"}, std::nullopt, kGameProgram},
}};

} // namespace

const std::vector<StartName>& StartNames() {
    static const std::vector<StartName> kNames = [] {
        std::vector<StartName> list;
        list.reserve(std::size(kNamedStarts));
        for (const NamedStart& start : kNamedStarts) {
            list.push_back(start.name);
        }
        return list;
    }();
    return kNames;
}

std::string StartNameList() {
    std::string list;
    for (const StartName& start : StartNames()) {
        list += list.empty() ? "" : ", ";
        list += start.name;
    }
    return list;
}

std::optional<LaunchMode> CommDriverStartMode(std::string_view name) {
    for (const NamedStart& start : kNamedStarts) {
        if (start.name.name == name && start.program == std::string_view(kCommDriverProgram)) {
            return start.mode;
        }
    }
    return std::nullopt;
}

std::optional<ProgramStart> ComposeNamedStart(std::string_view name, const GameOptions& options,
                                              bool mouseTweak) {
    for (const NamedStart& start : kNamedStarts) {
        if (start.name.name != name) {
            continue;
        }
        if (!start.mode) {
            return ProgramStart{start.program, ""};
        }
        ProgramStart composed{start.program, ComposeSwitches(*start.mode, options)};
        if (mouseTweak) {
            composed.program = kMouseTweakProgram;
        }
        return composed;
    }
    return std::nullopt;
}

GameOptions StoredGameOptions(const CfgStore& store) {
    GameOptions options;
    options.netPred = kNetPredTickedOnOpening;
    options.ticDupPosition = ReadMainSettings(store).ticDup.value_or(0);
    return options;
}

bool StoredMouseTweak(const CfgStore& store) {
    return ReadMainSettings(store).setMouse;
}

int StoredComPortIndex(const CfgStore& store) {
    // The modem page's list is filled from the same settings (ModemPage::Load).
    return ReadMainSettings(store).comPort.value_or(-1);
}

} // namespace marloven
