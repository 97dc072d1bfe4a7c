// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "launcher/launcher_settings.h"

#include <QTemporaryDir>

namespace marloven::test {

struct ScratchFolder {
    QTemporaryDir folder;
};

// Launcher settings in a file of the test's own, gone with it, so tests running side
// by side never share the player's settings or each other's.
class ScratchSettings : private ScratchFolder, public LauncherSettings {
  public:
    ScratchSettings() : LauncherSettings(folder.filePath(QStringLiteral("marloven.ini"))) {}
};

} // namespace marloven::test
