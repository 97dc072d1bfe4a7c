#include "app/command_line.h"
#include "app/unattended_prompter.h"
#include "core/cfg_store.h"
#include "platform/program_runner.h"
#include "platform/registry_source.h"
#include "platform/sound_player.h"
#include "ui/_Main.h"
#include "ui/app_context.h"
#include "ui/dosbox_options.h"
#include "ui/game_directory.h"
#include "ui/launcher_settings.h"
#include "ui/start_plan.h"
#include "ui/startup.h"
#include "ui/text_conversions.h"

#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <variant>

namespace {

// Makes the game directory current; false after saying why not.
bool EnterGameDirectory(const std::filesystem::path& directory) {
    std::error_code error;
    std::filesystem::current_path(directory, error);
    if (error) {
        std::fprintf(stderr, "marloven: cannot change to %s: %s\n",
                     marloven::QStringFromPath(directory).toLocal8Bit().constData(),
                     error.message().c_str());
        return false;
    }
    return true;
}

// False after saying why, when a modems file was named that cannot be read.
bool ModemsFileReadable(const marloven::LauncherOptions& options) {
    if (std::error_code error;
        !options.modemsFile.isEmpty() &&
        !std::filesystem::is_regular_file(marloven::PathFromQString(options.modemsFile), error)) {
        std::fprintf(stderr, "marloven: cannot read %s\n",
                     options.modemsFile.toLocal8Bit().constData());
        return false;
    }
    return true;
}

// "--print-command START": prints what the start would run, without a window, so that
// it works where no display is. It reads the game directory named, or the current one.
int PrintCommand(int& argc, char** argv) {
    const QCoreApplication app(argc, argv);
    const auto parsed = marloven::ParseLauncherOptions(QCoreApplication::arguments());
    if (const int* exitCode = std::get_if<int>(&parsed)) {
        return *exitCode;
    }
    const auto& options = std::get<marloven::LauncherOptions>(parsed);
    if (!ModemsFileReadable(options) ||
        (options.gameDirectory &&
         !EnterGameDirectory(marloven::PathFromQString(*options.gameDirectory)))) {
        return 2;
    }
    return marloven::PrintNamedStart(options.printCommand->toLocal8Bit().toStdString(),
                                     std::filesystem::current_path(), *marloven::MakeGameRunner(),
                                     std::cout, std::cerr);
}

// The launcher's windows over one game directory, which is current, until the player
// leaves: the exit code, or the game directory the player opened instead.
std::variant<int, std::filesystem::path> RunLauncher(const std::filesystem::path& gameDir,
                                                     marloven::Prompter& prompter,
                                                     marloven::ProgramRunner& runner,
                                                     marloven::SoundPlayer& sound,
                                                     const marloven::LauncherOptions& options) {
    marloven::CfgStore store(gameDir);
    marloven::AppContext context{gameDir, store, prompter, runner, sound};
    context.openModems = [&context,
                          modemsFile = marloven::PathFromQString(options.modemsFile).string()] {
        return marloven::MakeSystemRegistrySource(modemsFile, context.startDir);
    };
    std::optional<std::filesystem::path> opened;
    context.openGameDirectory = [&opened](const std::filesystem::path& directory) {
        opened = directory;
        QApplication::exit(0);
    };

    // The windows built before the start-up checks (the demo page's places among
    // them) already need the game directory.
    const auto forms = marloven::CreateForms(context);
    if (!marloven::StartLauncher(context, *forms)) {
        return 1;
    }
    if (options.answers) {
        QTimer::singleShot(0, forms->Main.get(), &QWidget::close);
    }
    QApplication::exec();
    if (opened) {
        return *opened;
    }
    return 0;
}

int Run(int argc, char** argv) {
    QApplication::setApplicationName("Marloven");
    QApplication::setApplicationVersion(MARLOVEN_VERSION);
    marloven::AnswerHelpOrVersion(argc, argv);
    if (marloven::AsksToPrintCommand(argc, argv)) {
        return PrintCommand(argc, argv);
    }

    QApplication app(argc, argv);
    // Ties the windows to the desktop entry, whose icon they then show.
    QApplication::setDesktopFileName("io.github.marloven.Marloven");
    const auto parsed = marloven::ParseLauncherOptions(QApplication::arguments());
    if (const int* exitCode = std::get_if<int>(&parsed)) {
        return *exitCode;
    }
    const auto& options = std::get<marloven::LauncherOptions>(parsed);
    if (!ModemsFileReadable(options)) {
        return 2;
    }

    std::unique_ptr<marloven::Prompter> prompter;
    if (options.answers) {
        prompter = marloven::MakeUnattendedPrompter(*options.answers);
    } else {
        prompter = std::make_unique<marloven::QtPrompter>();
    }
    const auto settings = marloven::OpenLauncherSettings();
    std::filesystem::path next;
    if (options.gameDirectory) {
        next = marloven::PathFromQString(*options.gameDirectory);
    } else if (const auto found = marloven::FindGameDirectory(*prompter, *settings)) {
        next = *found;
    } else {
        // Cancelled: nothing to set up, so the launcher ends as when setup is declined.
        return 1;
    }

    const auto runner = marloven::MakeGameRunner(); // DOSBox beneath, for DOS programs
    const auto sound = marloven::MakeSystemSoundPlayer();
    for (;;) {
        if (!EnterGameDirectory(next)) {
            return 2;
        }
        // The game directory is current from here until the player leaves it.
        const auto gameDir = std::filesystem::current_path();
        if (marloven::IsGameDirectory(gameDir)) {
            marloven::RememberGameDirectory(*settings, gameDir);
        }
        const auto outcome = RunLauncher(gameDir, *prompter, *runner, *sound, options);
        if (const int* exitCode = std::get_if<int>(&outcome)) {
            return *exitCode;
        }
        next = std::get<std::filesystem::path>(outcome);
    }
}

} // namespace

int main(int argc, char** argv) {
    // Whatever escapes the launcher ends it with a word of why, not with an abort.
    try {
        return Run(argc, argv);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "marloven: %s\n", error.what());
    } catch (...) {
        std::fputs("marloven: stopped by an unknown failure\n", stderr);
    }
    return 1;
}
