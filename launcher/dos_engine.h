// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/dosbox_settings.h"
#include "core/dosbox_start.h"
#include "launcher/game_runner.h"
#include "link/relay.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace marloven {

// DOSBox as set in the settings, or else the first of dosbox-staging, dosbox-x and
// dosbox on the search path; empty when there is none.
std::string FindDosbox(const DosboxSettings& settings);

// The first line DOSBox gives for --version ("DOSBox version 0.74-3, ..."), within a
// few seconds; empty when it gives none.
std::string DosboxVersion(const std::string& dosbox);

// Runs DOS programs through DOSBox, started by the system's runner beneath, with the
// start's link in DOSBox's configuration. Each start reads the settings anew; a start
// that needs no DOSBox goes to the system's runner directly.
class DosEngineRunner : public GameRunner {
  public:
    // Shows a link while DOSBox runs, until it is up; `cancel` ends DOSBox. Called once
    // the relay holds its ports; what it returns lives as long as the start.
    using LinkWatcher = std::function<std::unique_ptr<QObject>(
        const InternetLink& link, Relay& relay, std::function<void()> cancel)>;

    DosEngineRunner(std::unique_ptr<ProgramRunner> system,
                    std::function<DosboxSettings()> settings);
    void WatchLinks(LinkWatcher watcher) { watcher_ = std::move(watcher); }

    RunResult Run(const GameStart& start) override;
    PlannedStart Plan(const GameStart& start) const override;

  private:
    std::unique_ptr<ProgramRunner> system_;
    std::function<DosboxSettings()> settings_;
    LinkWatcher watcher_;
};

} // namespace marloven
