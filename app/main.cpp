// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/command_line.h"
#include "app/startup_errors.h"
#include "app/unattended_prompter.h"
#include "comm/invitation.h"
#include "core/cfg_store.h"
#include "launcher/dosbox_options.h"
#include "launcher/game_runner.h"
#include "launcher/launcher_settings.h"
#include "launcher/start_plan.h"
#include "platform/link_handler.h"
#include "platform/registry_source.h"
#include "platform/sound_player.h"
#include "qt_text/text_conversions.h"
#include "ui/app_context.h"
#include "ui/dialogs/link_window.h"
#include "ui/game_directory.h"
#include "ui/main/main_window.h"
#include "ui/startup.h"

#include <QApplication>
#include <QFile>
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

// The game directory named on the command line, with the bytes the system gave: Qt's
// string of a name that is not valid UTF-8 (a Latin-1 folder from an older disk) would
// name another folder. A file stands for its folder, so that VK.EXE dropped on the
// launcher's icon opens the game it belongs to.
std::filesystem::path GameDirectoryNamed(const QString& named, int argc, char** argv) {
    std::filesystem::path path = marloven::PathFromQString(named);
#ifndef _WIN32
    for (int i = 1; i < argc; ++i) {
        if (QFile::decodeName(argv[i]) == named) {
            path = argv[i];
        }
    }
#else
    (void)argc;
    (void)argv;
#endif
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        return path;
    }
    return std::filesystem::absolute(path, error).parent_path();
}

// Makes the game directory current; false after saying why not (in a window too when
// a prompter is given and no terminal shows the reason).
bool EnterGameDirectory(const std::filesystem::path& directory,
                        marloven::Prompter* prompter = nullptr) {
    std::error_code error;
    std::filesystem::current_path(directory, error);
    if (error) {
        marloven::ReportStartupError("cannot change to " + marloven::QStringFromPath(directory) +
                                         ": " + marloven::MessageText(error.message()),
                                     prompter);
        return false;
    }
    return true;
}

// False after saying why, when a modems file was named that cannot be read.
bool ModemsFileReadable(const marloven::LauncherOptions& options,
                        marloven::Prompter* prompter = nullptr) {
    if (std::error_code error;
        !options.modemsFile.isEmpty() &&
        !std::filesystem::is_regular_file(marloven::PathFromQString(options.modemsFile), error)) {
        marloven::ReportStartupError("cannot read " + options.modemsFile, prompter);
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
         !EnterGameDirectory(GameDirectoryNamed(*options.gameDirectory, argc, argv)))) {
        return 2;
    }
    const marloven::LauncherSettings settings;
    return marloven::PrintNamedStart(
        marloven::NarrowText(*options.printCommand), std::filesystem::current_path(),
        *marloven::MakeGameRunner(settings), settings, std::cout, std::cerr);
}

// "--register-links": makes this program the user's handler of marloven: links.
int RegisterLinks(int& argc, char** argv) {
    const QCoreApplication app(argc, argv);
    const auto registration =
        marloven::RegisterLinks(marloven::PathFromQString(QCoreApplication::applicationFilePath()));
    std::fprintf(registration.done ? stdout : stderr, "%s\n", registration.message.c_str());
    return registration.done ? 0 : 1;
}

// The invitation the command line names: nothing when it names none, and the exit code
// after saying why when the link is no invitation, so that such a link opens nothing.
std::variant<std::optional<marloven::Invitation>, int>
InvitationGiven(const marloven::LauncherOptions& options, marloven::Prompter& prompter) {
    if (!options.invitation) {
        return std::optional<marloven::Invitation>();
    }
    const auto parsed = marloven::ParseInvitation(marloven::NarrowText(*options.invitation));
    if (!parsed.invitation) {
        marloven::ReportStartupError(marloven::MessageText(parsed.refusal), &prompter);
        return 1;
    }
    return parsed.invitation;
}

// The launcher's windows over one game directory, which is current, until the player
// leaves: the exit code, or the game directory the player opened instead.
std::variant<int, std::filesystem::path>
RunLauncher(const std::filesystem::path& gameDir, marloven::Prompter& prompter,
            marloven::GameRunner& runner, marloven::SoundPlayer& sound,
            marloven::LauncherSettings& settings, const marloven::LauncherOptions& options,
            const std::optional<marloven::Invitation>& invitation) {
    marloven::CfgStore store(gameDir);
    marloven::AppContext context{gameDir, store, prompter, runner, sound, settings};
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
        QTimer::singleShot(0, forms->mainWindow.get(), &QWidget::close);
    } else if (invitation) {
        // Once the window is up; the dialog waits for the player.
        QTimer::singleShot(
            0, forms->mainWindow.get(),
            [main = forms->mainWindow.get(), invitation] { main->OpenInvitation(*invitation); });
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
    if (marloven::AsksToRegisterLinks(argc, argv)) {
        return RegisterLinks(argc, argv);
    }

    QApplication app(argc, argv);
    // Ties the windows to the desktop entry, whose icon they then show.
    QApplication::setDesktopFileName("io.github.marloven.Marloven");
    const auto parsed = marloven::ParseLauncherOptions(QApplication::arguments());
    if (const int* exitCode = std::get_if<int>(&parsed)) {
        return *exitCode;
    }
    const auto& options = std::get<marloven::LauncherOptions>(parsed);
    std::unique_ptr<marloven::Prompter> prompter;
    if (options.answers) {
        prompter = marloven::MakeUnattendedPrompter(*options.answers);
    } else {
        prompter = std::make_unique<marloven::QtPrompter>();
    }
    if (!ModemsFileReadable(options, prompter.get())) {
        return 2;
    }
    const auto given = InvitationGiven(options, *prompter);
    if (const int* exitCode = std::get_if<int>(&given)) {
        return *exitCode;
    }
    const auto& invitation = std::get<std::optional<marloven::Invitation>>(given);
    marloven::LauncherSettings settings;
    settings.TellWriteFailureTo(
        [&prompter](const QString& message) { prompter->ShowError(message); });
    std::filesystem::path next;
    if (options.gameDirectory) {
        next = GameDirectoryNamed(*options.gameDirectory, argc, argv);
    } else if (const auto found = marloven::FindGameDirectory(*prompter, settings)) {
        next = *found;
    } else {
        // Cancelled: nothing to set up, so the launcher ends as when setup is declined.
        return 1;
    }

    // DOSBox beneath, for DOS programs, with a window for each start's link.
    const auto runner =
        marloven::MakeGameRunner(settings, marloven::LinkWindow::Watcher(settings, *prompter));
    const auto sound = marloven::MakeSystemSoundPlayer();
    for (;;) {
        if (!EnterGameDirectory(next, prompter.get())) {
            return 2;
        }
        // The game directory is current from here until the player leaves it.
        const auto gameDir = std::filesystem::current_path();
        if (marloven::IsGameDirectory(gameDir)) {
            marloven::RememberGameDirectory(settings, gameDir);
        }
        const auto outcome =
            RunLauncher(gameDir, *prompter, *runner, *sound, settings, options, invitation);
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
