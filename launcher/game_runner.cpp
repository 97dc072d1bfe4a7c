// SPDX-License-Identifier: GPL-3.0-or-later
#include "launcher/game_runner.h"

#include "core/launch.h"

#include <filesystem>
#include <string_view>

namespace marloven {

CommandLine DirectCommandLine(const GameStart& start) {
    CommandLine command{start.program, {}, start.directory};
    std::string_view rest = start.arguments;
    while (!rest.empty()) {
        const std::size_t blank = rest.find(' ');
        if (blank != 0) {
            command.arguments.emplace_back(rest.substr(0, blank));
        }
        rest = blank == std::string_view::npos ? std::string_view() : rest.substr(blank + 1);
    }
    return command;
}

PlannedStart GameRunner::Plan(const GameStart& start) const {
    PlannedStart plan;
    plan.gameCommandLine =
        CommandLineText(std::filesystem::path(start.program).filename().string(), start.arguments);
    plan.hostCommand = QuotedCommandLine(start.program, start.arguments);
    return plan;
}

DirectGameRunner::DirectGameRunner(std::unique_ptr<ProgramRunner> system)
    : system_(std::move(system)) {}

RunResult DirectGameRunner::Run(const GameStart& start) {
    return system_->Run(DirectCommandLine(start));
}

} // namespace marloven
