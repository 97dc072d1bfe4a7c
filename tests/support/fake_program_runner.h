#pragma once

#include "platform/program_runner.h"

#include <functional>
#include <vector>

namespace marloven::test {

// Stands in for the system's runner: records every command line it is asked to run
// and answers with a scripted outcome. RunProgram only asks the runner when the
// program's file exists, so tests put e.g. an empty "VK.EXE" into their GameDir.
class FakeProgramRunner : public ProgramRunner {
  public:
    std::vector<CommandLine> runs;
    RunOutcome outcome = RunOutcome::Ended;
    // Called during the "run", e.g. to write VK.CFG as SETUP.EXE would.
    std::function<void(const CommandLine&)> whileRunning;

    RunResult Run(const CommandLine& command) override {
        runs.push_back(command);
        if (whileRunning) {
            whileRunning(command);
        }
        return outcome;
    }
};

} // namespace marloven::test
