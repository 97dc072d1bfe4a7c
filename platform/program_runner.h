#pragma once

#include "comm/internet_link.h"
#include "core/dosbox_start.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace marloven {

// One start of an outside program: its full path, its argument line (the switches
// separated by single blanks, possibly empty) and the directory it runs in.
struct CommandLine {
    std::string program;
    std::string arguments;
    std::string directory;
    // Set in place of arguments for a program that takes its arguments one by one
    // (DOSBox): each reaches it whole, blanks included.
    std::vector<std::string> argumentList = {};
    // A comm-driver start's link to the other players, for DOSBox to carry when it runs
    // the start; a direct start reaches them as the system lets it.
    std::optional<InternetLink> link = std::nullopt;
};

enum class RunOutcome {
    Ended,         // the program ran and has ended
    NotFound,      // no file at the program's path; nothing was started
    CouldNotStart, // the system refused to start it
    Refused,       // the start was not made; the result's message says why
};

struct RunResult {
    RunResult(RunOutcome outcome, std::string message = {})
        : outcome(outcome), message(std::move(message)) {}
    RunOutcome outcome;
    std::string message; // for Refused, in the player's words
};

// Starts a program and returns when it has ended, keeping the window's event loop
// turning meanwhile.
class ProgramRunner {
  public:
    virtual ~ProgramRunner() = default;
    virtual RunResult Run(const CommandLine& command) = 0;
    // What Run would start, for the player to see beforehand, and why it would refuse
    // (asked before the window hides for the start). This one starts the program itself.
    virtual PlannedStart Plan(const CommandLine& command) const;
};

// The runner of this operating system.
std::unique_ptr<ProgramRunner> MakeSystemProgramRunner();

} // namespace marloven
