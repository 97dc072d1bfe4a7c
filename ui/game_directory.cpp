#include "ui/game_directory.h"

#include "core/file_ops.h"
#include "core/game_file.h"
#include "core/launch.h"
#include "ui/prompter.h"
#include "ui/text_conversions.h"

#include <QDir>
#include <QSettings>

namespace marloven {

namespace {

const QString kLastGameDirectoryKey = QStringLiteral("game/directory");

} // namespace

bool IsGameDirectory(const std::filesystem::path& directory) {
    // A game copied from a DOS disk may carry its names in lower case.
    return IsExistingFile(FindGameFile(directory, kGameProgram));
}

std::optional<std::filesystem::path> AskGameDirectory(Prompter& prompter,
                                                      const std::filesystem::path& startIn) {
    QString lookIn = QStringFromPath(startIn);
    for (;;) {
        const auto chosen = prompter.AskDirectory(kGameDirectoryQuestion, lookIn);
        if (!chosen) {
            return std::nullopt;
        }
        const auto directory = PathFromQString(*chosen);
        if (IsGameDirectory(directory)) {
            return directory;
        }
        prompter.ShowError(QString("There is no VK.EXE in %1.\n\nChoose the folder where "
                                   "Velkaran is installed, the one that holds VK.EXE.")
                               .arg(QDir::toNativeSeparators(*chosen)));
        lookIn = *chosen;
    }
}

std::optional<std::filesystem::path> FindGameDirectory(Prompter& prompter,
                                                       const QSettings& settings) {
    std::error_code error;
    const auto current = std::filesystem::current_path(error);
    if (!error && IsGameDirectory(current)) {
        return current;
    }
    const QString last = settings.value(kLastGameDirectoryKey).toString();
    if (!last.isEmpty() && IsGameDirectory(PathFromQString(last))) {
        return PathFromQString(last);
    }
    return AskGameDirectory(prompter, PathFromQString(QDir::homePath()));
}

void RememberGameDirectory(QSettings& settings, const std::filesystem::path& directory) {
    settings.setValue(kLastGameDirectoryKey, QStringFromPath(directory));
}

} // namespace marloven
