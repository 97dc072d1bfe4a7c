#include "ui/dosbox_options.h"

#include "platform/dos_engine.h"
#include "ui/launcher_settings.h"

#include <array>
#include <utility>

namespace marloven {

namespace {

constexpr std::array<std::pair<DosboxUse, const char*>, 3> kUseNames{{
    {DosboxUse::Automatic, "automatic"},
    {DosboxUse::Always, "always"},
    {DosboxUse::Never, "never"},
}};

QString Text(const std::string& bytes) {
    return QString::fromLocal8Bit(bytes);
}

std::string Bytes(const QVariant& value) {
    return value.toString().toLocal8Bit().toStdString();
}

} // namespace

DosboxSettings LoadDosboxSettings() {
    const auto stored = OpenLauncherSettings();
    DosboxSettings settings;
    stored->beginGroup("DOSBox");
    settings.dosboxPath = Bytes(stored->value("Path", Text(settings.dosboxPath)));
    const QString use = stored->value("Use").toString();
    for (const auto& [value, name] : kUseNames) {
        if (use == QLatin1String(name)) {
            settings.use = value;
        }
    }
    settings.fullScreen = stored->value("FullScreen", settings.fullScreen).toBool();
    settings.playersConfiguration =
        Bytes(stored->value("PlayersConfiguration", Text(settings.playersConfiguration)));
    return settings;
}

void SaveDosboxSettings(const DosboxSettings& settings) {
    const auto stored = OpenLauncherSettings();
    stored->beginGroup("DOSBox");
    stored->setValue("Path", Text(settings.dosboxPath));
    for (const auto& [value, name] : kUseNames) {
        if (settings.use == value) {
            stored->setValue("Use", QLatin1String(name));
        }
    }
    stored->setValue("FullScreen", settings.fullScreen);
    stored->setValue("PlayersConfiguration", Text(settings.playersConfiguration));
}

std::unique_ptr<ProgramRunner> MakeGameRunner() {
    return std::make_unique<DosEngineRunner>(MakeSystemProgramRunner(), LoadDosboxSettings);
}

} // namespace marloven
