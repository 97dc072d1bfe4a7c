// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "comm/internet_link.h"
#include "core/launch.h"
#include "ui/app_context.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

class QWidget;

namespace marloven {

class Relay;

// Starts program (a bare name such as "VK.EXE") from context.startDir with the argument
// line, hiding mainWindow while it runs and showing it (in front) afterwards. Reports
// " was not found!" / "Could not execute " through context.prompter.
// A comm-driver start passes its link, which DOSBox carries when it runs the start, and
// the link's relay when the start opened it already.
// True when the program ran and ended well.
bool RunProgram(AppContext& context, QWidget* mainWindow, const std::string& program,
                const std::string& arguments,
                const std::optional<InternetLink>& link = std::nullopt,
                std::shared_ptr<Relay> relay = nullptr);

struct LaunchHooks {
    // Called when the mouse tweak is on, before the start sound: writes VKSETMS.DAT and
    // replaces program by "VKSETMS.EXE"; returns false to stop the whole launch.
    std::function<bool(std::string& program, const std::string& arguments)> mouseTweak;
    // Called last when "Record Demo" is ticked.
    std::function<void()> saveRecordedDemo;
    // A comm-driver start's link to the other players, for DOSBox to carry, and its
    // relay when the start opened it.
    std::optional<InternetLink> link;
    std::shared_ptr<Relay> relay;
};

void LaunchGame(AppContext& context, QWidget* mainWindow, LaunchMode mode,
                const std::string& program, const GameOptions& options,
                const LaunchHooks& hooks = {});

} // namespace marloven
