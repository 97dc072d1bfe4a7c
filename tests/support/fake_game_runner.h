// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "launcher/game_runner.h"

#include <functional>
#include <vector>

namespace marloven::test {

// Stands in for the game's runner: records every start it is asked to make and
// answers with a scripted outcome. RunProgram only asks the runner when the
// program's file exists, so tests put e.g. an empty "VK.EXE" into their GameDir.
class FakeGameRunner : public GameRunner {
  public:
    std::vector<GameStart> runs;
    RunOutcome outcome = RunOutcome::Ended;
    // Called during the "run", e.g. to write VK.CFG as SETUP.EXE would.
    std::function<void(const GameStart&)> whileRunning;

    RunResult Run(const GameStart& command) override {
        runs.push_back(command);
        if (whileRunning) {
            whileRunning(command);
        }
        return outcome;
    }
};

} // namespace marloven::test
