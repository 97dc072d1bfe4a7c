#include "app/unattended_prompter.h"
#include "core/cfg_store.h"
#include "platform/program_runner.h"
#include "platform/registry_source.h"
#include "platform/sound_player.h"
#include "ui/_Main.h"
#include "ui/app_context.h"
#include "ui/dosbox_options.h"
#include "ui/startup.h"

#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <variant>

namespace {

constexpr const char* kUsage =
    "Usage: marloven [--modems FILE] [--answers=LIST] [GAME-DIRECTORY]\n"
    "Starts the Marloven launcher for Velkaran in GAME-DIRECTORY (default: the\n"
    "current directory), where VK.CFG, VK.EXE and the game's other files live.\n"
    "\n"
    "  --help          show this text and exit\n"
    "  --version       show the version and exit\n"
    "  --modems FILE   read the installed modems for \"Detect Modem\" from FILE, a\n"
    "                  registry export (.reg); without it Marloven reads the\n"
    "                  Windows registry, or elsewhere MODEMS.REG in GAME-DIRECTORY\n"
    "  --answers=LIST  for unattended runs such as tests: answer the launcher's\n"
    "                  questions in turn from LIST (for example no or yes,no)\n"
    "                  without showing them, print its messages to standard error,\n"
    "                  and close the main window as soon as it is shown\n";

constexpr const char* kAnswersOption = "--answers=";
constexpr const char* kModemsOption = "--modems";

struct Options {
    const char* gameDirectory = nullptr;
    const char* answers = nullptr;
    std::string modemsFile;
};

// The options, or the exit code when the run ends here (--help, --version or a fault
// in the command line).
std::variant<Options, int> ParseOptions(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("Marloven %s\n", MARLOVEN_VERSION);
            return 0;
        }
        if (std::strncmp(argv[i], kAnswersOption, std::strlen(kAnswersOption)) == 0) {
            options.answers = argv[i] + std::strlen(kAnswersOption);
            continue;
        }
        if (std::strcmp(argv[i], kModemsOption) == 0) {
            if (++i == argc || *argv[i] == '\0') {
                std::fputs("marloven: --modems needs a file name\n", stderr);
                return 2;
            }
            // Named from where the launcher was started, read from the game directory.
            std::error_code error;
            const auto file = std::filesystem::absolute(argv[i], error);
            options.modemsFile = error ? std::string(argv[i]) : file.string();
            continue;
        }
        options.gameDirectory = argv[i];
    }
    return options;
}

// Moves into the game directory and checks the modems file; false after saying why not.
bool Prepare(const Options& options) {
    if (options.gameDirectory != nullptr) {
        std::error_code error;
        std::filesystem::current_path(options.gameDirectory, error);
        if (error) {
            std::fprintf(stderr, "marloven: cannot change to %s: %s\n", options.gameDirectory,
                         error.message().c_str());
            return false;
        }
    }
    if (std::error_code error; !options.modemsFile.empty() &&
                               !std::filesystem::is_regular_file(options.modemsFile, error)) {
        std::fprintf(stderr, "marloven: cannot read %s\n", options.modemsFile.c_str());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    const auto parsed = ParseOptions(argc, argv);
    if (const int* exitCode = std::get_if<int>(&parsed)) {
        return *exitCode;
    }
    const Options& options = std::get<Options>(parsed);
    if (!Prepare(options)) {
        return 2;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName("Marloven");

    std::unique_ptr<marloven::Prompter> prompter;
    if (options.answers != nullptr) {
        prompter =
            std::make_unique<marloven::UnattendedPrompter>(QString::fromLocal8Bit(options.answers));
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
    context.openModems = [&context, modemsFile = options.modemsFile] {
        return marloven::MakeSystemRegistrySource(modemsFile, context.startDir);
    };

    const auto forms = marloven::CreateForms(context);
    if (!marloven::StartLauncher(context, *forms)) {
        return 1;
    }
    if (options.answers != nullptr) {
        QTimer::singleShot(0, forms->Main.get(), &QWidget::close);
    }
    QApplication::exec();
    return 0;
}
