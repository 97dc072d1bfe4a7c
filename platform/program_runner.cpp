#include "platform/program_runner.h"

#include "core/launch.h"

#include <filesystem>

namespace marloven {

PlannedStart ProgramRunner::Plan(const CommandLine& command) const {
    PlannedStart plan;
    plan.gameCommandLine = CommandLineText(
        std::filesystem::path(command.program).filename().string(), command.arguments);
    plan.hostCommand = QuotedCommandLine(command.program, command.arguments);
    return plan;
}

} // namespace marloven
