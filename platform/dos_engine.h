#pragma once

#include "core/dosbox_settings.h"
#include "platform/program_runner.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace marloven {

// The start a command will make, as shown to the player before it runs.
struct PlannedStart {
    bool throughDosbox = false;
    std::string gameCommandLine; // the program and switches as the game receives them
    std::string hostCommand;     // what the system starts (DOSBox and its arguments)
    std::string configuration;   // the configuration DOSBox is given; empty when direct
    std::optional<std::string> refusal;
};

// The name our configuration file has in the fresh directory of each start.
inline constexpr const char* kDosboxConfigurationName = "marloven.conf";

// DOSBox as set in the settings, or else the first of dosbox-staging, dosbox-x and
// dosbox on the search path; empty when there is none.
std::string FindDosbox(const DosboxSettings& settings);

// The runner beneath which DOS programs run through DOSBox. Each start reads the
// settings anew; a start that needs no DOSBox goes to the system's runner unchanged.
class DosEngineRunner : public ProgramRunner {
  public:
    DosEngineRunner(std::unique_ptr<ProgramRunner> system,
                    std::function<DosboxSettings()> settings);

    RunResult Run(const CommandLine& command) override;
    std::optional<std::string> Refusal(const CommandLine& command) override;
    bool RunsThroughDosbox(const CommandLine& command) override;
    PlannedStart Plan(const CommandLine& command) const;

  private:
    std::unique_ptr<ProgramRunner> system_;
    std::function<DosboxSettings()> settings_;
};

} // namespace marloven
