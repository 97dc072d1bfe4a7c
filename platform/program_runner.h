// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace marloven {

// One start of an outside program: its full path, its arguments, each of which reaches
// it whole (blanks included), and the directory it runs in.
struct CommandLine {
    std::string program;
    std::vector<std::string> arguments;
    std::string directory;
    // Where the program's output (both channels) goes; empty to leave it on the
    // launcher's own.
    std::string outputFile = {};
    // Called once the program runs, with what ends it before its time.
    std::function<void(std::function<void()> stop)> started = {};
    // The program's sockets bound to "any address" take connections and datagrams from
    // this machine only: a start whose DOSBox the launcher's link carries. On Linux, when
    // the launcher's means for it is missing, nothing is started; on Windows, the DOSBox
    // that comes with Marloven does it, another make of DOSBox does not.
    bool loopbackOnly = false;
};

enum class RunOutcome {
    Ended,         // the program ran and has ended
    NotFound,      // no file at the program's path; nothing was started
    CouldNotStart, // the system refused to start it
    Refused,       // the start was not made; the result's message says why
    Failed,        // it ran and ended badly; the message says why
};

struct RunResult {
    RunResult(RunOutcome outcome, std::string message = {})
        : outcome(outcome), message(std::move(message)) {}
    RunOutcome outcome;
    std::string message;  // for Refused and Failed, in the player's words
    int exitCode = 0;     // for Ended: the program's own code
    bool crashed = false; // for Ended: ended by a signal or an exception, not by itself
};

// Starts a program and returns when it has ended, keeping the window's event loop
// turning meanwhile.
class ProgramRunner {
  public:
    virtual ~ProgramRunner() = default;
    virtual RunResult Run(const CommandLine& command) = 0;
};

// The runner of this operating system.
std::unique_ptr<ProgramRunner> MakeSystemProgramRunner();

} // namespace marloven
