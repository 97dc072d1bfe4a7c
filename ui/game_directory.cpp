// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/game_directory.h"

#include "launcher/launcher_settings.h"

#include "core/file_ops.h"
#include "core/game_file.h"
#include "core/launch.h"
#include "qt_text/text_conversions.h"
#include "ui/prompter.h"

#include <QDir>

namespace marloven {

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

namespace {

// As RememberGameDirectory keeps it; earlier versions kept it as text.
std::filesystem::path LastGameDirectory(const LauncherSettings& settings) {
    const QVariant last = settings.Get(LauncherKey::LastGameDirectory);
    if (last.typeId() == QMetaType::QByteArray) {
        return std::filesystem::path(last.toByteArray().toStdString());
    }
    return PathFromQString(last.toString());
}

} // namespace

std::optional<std::filesystem::path> FindGameDirectory(Prompter& prompter,
                                                       const LauncherSettings& settings) {
    std::error_code error;
    const auto current = std::filesystem::current_path(error);
    if (!error && IsGameDirectory(current)) {
        return current;
    }
    const auto last = LastGameDirectory(settings);
    if (!last.empty() && IsGameDirectory(last)) {
        return last;
    }
    return AskGameDirectory(prompter, PathFromQString(QDir::homePath()));
}

// Where names are bytes, a folder named in another character set than the system's (a
// Latin-1 folder on a UTF-8 system) has no text that turns back into it: it is kept as
// its bytes. Windows names are UTF-16, which text keeps whole.
void RememberGameDirectory(LauncherSettings& settings, const std::filesystem::path& directory) {
#ifdef _WIN32
    settings.Set(LauncherKey::LastGameDirectory, QStringFromPath(directory));
#else
    settings.Set(LauncherKey::LastGameDirectory, QByteArray::fromStdString(directory.native()));
#endif
}

} // namespace marloven
