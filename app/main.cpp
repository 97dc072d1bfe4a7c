#include "ui/_Main.h"

#include <QApplication>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace {

constexpr const char* kUsage =
    "Usage: marloven [GAME-DIRECTORY]\n"
    "Starts the Marloven launcher for Velkaran in GAME-DIRECTORY (default: the\n"
    "current directory), where VK.CFG, VK.EXE and the game's other files live.\n"
    "\n"
    "  --help     show this text and exit\n"
    "  --version  show the version and exit\n";

} // namespace

int main(int argc, char** argv) {
    const char* gameDirectory = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("Marloven %s\n", MARLOVEN_VERSION);
            return 0;
        }
        gameDirectory = argv[i];
    }
    if (gameDirectory != nullptr) {
        std::error_code error;
        std::filesystem::current_path(gameDirectory, error);
        if (error) {
            std::fprintf(stderr, "marloven: cannot change to %s: %s\n", gameDirectory,
                         error.message().c_str());
            return 2;
        }
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName("Marloven");
    marloven::TMain window;
    window.show();
    return QApplication::exec();
}
