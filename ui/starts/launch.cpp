// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/starts/launch.h"

#include "core/file_ops.h"
#include "launcher/start_plan.h"
#include "platform/sound_player.h"
#include "qt_text/text_conversions.h"
#include "ui/prompter.h"

#include <QWidget>
#include <chrono>
#include <random>

namespace marloven {

namespace {

void ShowInFront(QWidget* window) {
    if (window == nullptr) {
        return;
    }
    window->show();
    window->raise();
    window->activateWindow();
}

// SOUND1.WAV or SOUND2.WAV, each half of the time, freshly seeded at every launch.
std::string StartSoundName() {
    std::mt19937 generator(static_cast<std::mt19937::result_type>(
        std::chrono::system_clock::now().time_since_epoch().count()));
    std::uniform_int_distribution<int> digit(1, 2);
    return "SOUND" + std::to_string(digit(generator)) + ".WAV";
}

} // namespace

bool RunProgram(AppContext& context, QWidget* mainWindow, const std::string& program,
                const std::string& arguments, const std::optional<InternetLink>& link,
                std::shared_ptr<Relay> relay) {
    GameStart command = MakeGameStart(context.startDir, program, arguments);
    command.link = link;
    command.relay = std::move(relay);
    const std::string& path = command.program;
    const QString notFound = MessageText(program) + " was not found!";
    if (!IsExistingFile(PathFromNarrow(path))) {
        context.prompter.Inform(notFound);
        return false;
    }
    // What cannot start is said while the window stays in view.
    if (const std::optional<std::string> refusal = context.runner.Plan(command).refusal) {
        context.prompter.Inform(MessageText(*refusal));
        return false;
    }
    if (mainWindow != nullptr) {
        mainWindow->hide();
    }
    const RunResult result = context.runner.Run(command);
    // What went wrong is said once the window is back.
    ShowInFront(mainWindow);
    switch (result.outcome) {
    case RunOutcome::Ended:
        return true;
    case RunOutcome::NotFound: // removed between the check and the start
        context.prompter.Inform(notFound);
        break;
    case RunOutcome::CouldNotStart:
        context.prompter.Inform("Could not execute " +
                                MessageText(CommandLineText(path, arguments)));
        break;
    case RunOutcome::Refused:
    case RunOutcome::Failed:
        if (!result.message.empty()) {
            context.prompter.Inform(MessageText(result.message));
        }
        break;
    }
    return false;
}

void LaunchGame(AppContext& context, QWidget* mainWindow, LaunchMode mode,
                const std::string& program, const GameOptions& options, const LaunchHooks& hooks) {
    const std::string arguments = ComposeSwitches(mode, options);
    std::string programToRun = program;
    if (hooks.mouseTweak && !hooks.mouseTweak(programToRun, arguments)) {
        return;
    }
    context.sound.PlayAsync(StartSoundName());
    const bool ran =
        RunProgram(context, mainWindow, programToRun, arguments, hooks.link, hooks.relay);
    // The end sound comes whether or not the program could start; a demo can only have
    // been recorded when the game ran.
    context.sound.PlayAsync(kGameEndSound);
    if (ran && options.recordDemo && hooks.saveRecordedDemo) {
        hooks.saveRecordedDemo();
    }
}

} // namespace marloven
