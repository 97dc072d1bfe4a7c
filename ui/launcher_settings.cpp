#include "ui/launcher_settings.h"

namespace marloven {

std::unique_ptr<QSettings> OpenLauncherSettings() {
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                       QStringLiteral("Marloven"), QStringLiteral("marloven"));
}

} // namespace marloven
