// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "launcher/launcher_settings.h"

#include <QTemporaryDir>

namespace marloven::test {

struct ScratchFolder {
    QTemporaryDir folder;
};

// Launcher settings in a file of the test's own, gone with it, so tests running side
// by side never share the player's settings or each other's. Hosting asks no router:
// a test's traffic stays on this machine, and only the tests of the router turn it on,
// in network namespaces of their own.
class ScratchSettings : private ScratchFolder, public LauncherSettings {
  public:
    ScratchSettings() : LauncherSettings(folder.filePath(QStringLiteral("marloven.ini"))) {
        Set(LauncherKey::RouterAsk, false);
    }
};

} // namespace marloven::test
