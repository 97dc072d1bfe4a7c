#pragma once

#include <memory>
#include <string>

namespace marloven {

// One start of an outside program: its full path, its argument line (the switches
// separated by single blanks, possibly empty) and the directory it runs in.
struct CommandLine {
    std::string program;
    std::string arguments;
    std::string directory;
};

enum class RunOutcome {
    Ended,         // the program ran and has ended
    NotFound,      // no file at the program's path; nothing was started
    CouldNotStart, // the system refused to start it
};

// Starts a program and returns when it has ended, keeping the window's event loop
// turning meanwhile.
class ProgramRunner {
  public:
    virtual ~ProgramRunner() = default;
    virtual RunOutcome Run(const CommandLine& command) = 0;
};

// The runner of this operating system.
std::unique_ptr<ProgramRunner> MakeSystemProgramRunner();

} // namespace marloven
