// SPDX-License-Identifier: GPL-3.0-or-later
#include "launcher/dosbox_options.h"

#include "launcher/dos_engine.h"
#include "launcher/launcher_settings.h"
#include "qt_text/text_conversions.h"

#include <array>
#include <utility>

namespace marloven {

namespace {

constexpr std::array<std::pair<DosboxUse, const char*>, 3> kUseNames{{
    {DosboxUse::Automatic, "automatic"},
    {DosboxUse::Always, "always"},
    {DosboxUse::Never, "never"},
}};

} // namespace

DosboxSettings LoadDosboxSettings(const LauncherSettings& stored) {
    DosboxSettings settings;
    settings.dosboxPath = NarrowText(stored.Get(LauncherKey::DosboxPath).toString());
    const QString use = stored.Get(LauncherKey::DosboxUse).toString();
    for (const auto& [value, name] : kUseNames) {
        if (use == QLatin1String(name)) {
            settings.use = value;
        }
    }
    settings.fullScreen = stored.Get(LauncherKey::DosboxFullScreen).toBool();
    settings.playersConfiguration =
        NarrowText(stored.Get(LauncherKey::DosboxPlayersConfiguration).toString());
    return settings;
}

void SaveDosboxSettings(LauncherSettings& stored, const DosboxSettings& settings) {
    stored.Set(LauncherKey::DosboxPath, MessageText(settings.dosboxPath));
    for (const auto& [value, name] : kUseNames) {
        if (settings.use == value) {
            stored.Set(LauncherKey::DosboxUse, QLatin1String(name));
        }
    }
    stored.Set(LauncherKey::DosboxFullScreen, settings.fullScreen);
    stored.Set(LauncherKey::DosboxPlayersConfiguration, MessageText(settings.playersConfiguration));
}

std::unique_ptr<GameRunner> MakeGameRunner(const LauncherSettings& stored,
                                           DosEngineRunner::LinkWatcher watcher) {
    auto engine = std::make_unique<DosEngineRunner>(
        MakeSystemProgramRunner(), [&stored] { return LoadDosboxSettings(stored); });
    engine->WatchLinks(std::move(watcher));
    return engine;
}

} // namespace marloven
