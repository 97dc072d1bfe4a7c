// SPDX-License-Identifier: GPL-3.0-or-later
#include "launcher/start_plan.h"

#include "core/cfg_store.h"
#include "core/errors.h"
#include "core/file_ops.h"
#include "core/game_file.h"
#include "core/named_start.h"
#include "launcher/link_settings.h"
#include "qt_text/text_conversions.h"

#include <ostream>

namespace marloven {

GameStart MakeGameStart(const std::filesystem::path& gameDir, const std::string& program,
                        const std::string& arguments) {
    // A game copied from a DOS disk may carry its names in lower case.
    return {FindGameFile(gameDir, program).string(), arguments, gameDir.string()};
}

PlannedStart PlanGameStart(const GameRunner& runner, const std::filesystem::path& gameDir,
                           const std::string& program, const std::string& arguments,
                           const std::optional<InternetLink>& link) {
    GameStart command = MakeGameStart(gameDir, program, arguments);
    command.link = link;
    if (!IsExistingFile(PathFromNarrow(command.program))) {
        PlannedStart missing = runner.GameRunner::Plan(command);
        missing.refusal = program + " was not found!";
        return missing;
    }
    return runner.Plan(command);
}

std::optional<PlannedStart> PlanNamedStart(const GameRunner& runner,
                                           const std::filesystem::path& gameDir,
                                           std::string_view name, const GameOptions& options,
                                           bool mouseTweak,
                                           const std::optional<InternetLink>& link) {
    const auto start = ComposeNamedStart(name, options, mouseTweak);
    if (!start) {
        return std::nullopt;
    }
    return PlanGameStart(runner, gameDir, start->program, start->arguments, link);
}

int PrintNamedStart(std::string_view name, const std::filesystem::path& gameDir,
                    const GameRunner& runner, const LauncherSettings& settings, std::ostream& out,
                    std::ostream& errors) {
    CfgStore store(gameDir);
    if (IsExistingFile(store.FilePath())) {
        try {
            store.CfgLoad();
        } catch (const FileError& error) {
            errors << "marloven: " << error.what() << '\n';
            return 1;
        }
    }
    const auto plan =
        PlanNamedStart(runner, gameDir, name, StoredGameOptions(store), StoredMouseTweak(store),
                       RememberedLink(settings, name, StoredComPortIndex(store)));
    if (!plan) {
        errors << "marloven: no start is named \"" << name << "\"; the starts are "
               << StartNameList() << '\n';
        return 2;
    }
    out << DescribePlannedStart(*plan);
    return plan->refusal ? 1 : 0;
}

} // namespace marloven
