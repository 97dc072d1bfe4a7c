#pragma once

#include "core/dosbox_settings.h"
#include "core/dosbox_start.h"
#include "platform/program_runner.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace marloven {

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
    PlannedStart Plan(const CommandLine& command) const override;

  private:
    std::unique_ptr<ProgramRunner> system_;
    std::function<DosboxSettings()> settings_;
};

} // namespace marloven
