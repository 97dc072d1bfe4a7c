// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "comm/internet_link.h"
#include "core/dosbox_start.h"
#include "platform/program_runner.h"

#include <memory>
#include <optional>
#include <string>

namespace marloven {

class Relay;

// One start of one of the game's programs, as a window asks for it: the program's
// full path, its switches as composed (separated by single blanks, possibly none), the
// game directory, and for a comm-driver start the link to the other players.
struct GameStart {
    std::string program;
    std::string arguments;
    std::string directory;
    std::optional<InternetLink> link = std::nullopt;
    // The link's relay when the start opened it before writing the driver's file (which
    // names its port); else a runner that carries the link opens one itself.
    std::shared_ptr<Relay> relay = nullptr;
};

// The switches one by one, as a program started directly receives them.
CommandLine DirectCommandLine(const GameStart& start);

// What runs the game's programs for the windows: directly, or through DOSBox beneath.
class GameRunner {
  public:
    virtual ~GameRunner() = default;
    virtual RunResult Run(const GameStart& start) = 0;
    // What Run would start, for the player to see beforehand, and why it would refuse
    // (asked before the window hides for the start). This one starts the program itself.
    virtual PlannedStart Plan(const GameStart& start) const;
};

// Starts each program itself through the system's runner, whatever kind it is.
class DirectGameRunner : public GameRunner {
  public:
    explicit DirectGameRunner(std::unique_ptr<ProgramRunner> system);
    RunResult Run(const GameStart& start) override;

  private:
    std::unique_ptr<ProgramRunner> system_;
};

} // namespace marloven
