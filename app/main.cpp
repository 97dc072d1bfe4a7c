#include "app/command_line.h"
#include "app/unattended_prompter.h"
#include "core/cfg_store.h"
#include "platform/program_runner.h"
#include "platform/registry_source.h"
#include "platform/sound_player.h"
#include "ui/_Main.h"
#include "ui/app_context.h"
#include "ui/dosbox_options.h"
#include "ui/start_plan.h"
#include "ui/startup.h"
#include "ui/text_conversions.h"

#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <variant>

namespace {

// Moves into the game directory and checks the modems file; false after saying why not.
bool Prepare(const marloven::LauncherOptions& options) {
    if (options.gameDirectory) {
        std::error_code error;
        std::filesystem::current_path(marloven::PathFromQString(*options.gameDirectory), error);
        if (error) {
            std::fprintf(stderr, "marloven: cannot change to %s: %s\n",
                         options.gameDirectory->toLocal8Bit().constData(), error.message().c_str());
            return false;
        }
    }
    if (std::error_code error;
        !options.modemsFile.isEmpty() &&
        !std::filesystem::is_regular_file(marloven::PathFromQString(options.modemsFile), error)) {
        std::fprintf(stderr, "marloven: cannot read %s\n",
                     options.modemsFile.toLocal8Bit().constData());
        return false;
    }
    return true;
}

// The options of the application's arguments, with the game directory made current;
// or the exit code when the run ends here.
std::variant<marloven::LauncherOptions, int> OptionsInGameDirectory() {
    auto parsed = marloven::ParseLauncherOptions(QCoreApplication::arguments());
    if (const auto* options = std::get_if<marloven::LauncherOptions>(&parsed);
        options != nullptr && !Prepare(*options)) {
        return 2;
    }
    return parsed;
}

// "--print-command START": prints what the start would run, without a window, so that
// it works where no display is.
int PrintCommand(int& argc, char** argv) {
    const QCoreApplication app(argc, argv);
    const auto parsed = OptionsInGameDirectory();
    if (const int* exitCode = std::get_if<int>(&parsed)) {
        return *exitCode;
    }
    const auto& options = std::get<marloven::LauncherOptions>(parsed);
    return marloven::PrintNamedStart(options.printCommand->toLocal8Bit().toStdString(),
                                     std::filesystem::current_path(), *marloven::MakeGameRunner(),
                                     std::cout, std::cerr);
}

} // namespace

int main(int argc, char** argv) {
    QApplication::setApplicationName("Marloven");
    QApplication::setApplicationVersion(MARLOVEN_VERSION);
    marloven::AnswerHelpOrVersion(argc, argv);
    if (marloven::AsksToPrintCommand(argc, argv)) {
        return PrintCommand(argc, argv);
    }

    QApplication app(argc, argv);
    const auto parsed = OptionsInGameDirectory();
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
    // The game directory is current from here to the end; the windows built before the
    // start-up checks (the demo page's places among them) already need it.
    const auto gameDir = std::filesystem::current_path();
    marloven::CfgStore store(gameDir);
    const auto runner = marloven::MakeGameRunner(); // DOSBox beneath, for DOS programs
    const auto sound = marloven::MakeSystemSoundPlayer();
    marloven::AppContext context{gameDir, store, *prompter, *runner, *sound};
    context.openModems = [&context,
                          modemsFile = marloven::PathFromQString(options.modemsFile).string()] {
        return marloven::MakeSystemRegistrySource(modemsFile, context.startDir);
    };

    const auto forms = marloven::CreateForms(context);
    if (!marloven::StartLauncher(context, *forms)) {
        return 1;
    }
    if (options.answers) {
        QTimer::singleShot(0, forms->Main.get(), &QWidget::close);
    }
    QApplication::exec();
    return 0;
}
