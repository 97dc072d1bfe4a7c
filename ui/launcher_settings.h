#pragma once

#include <QSettings>
#include <memory>

namespace marloven {

// The launcher's own settings (which DOSBox, ...), kept for the player in the user's
// configuration directory, never in the game directory. Every part opens them here.
std::unique_ptr<QSettings> OpenLauncherSettings();

} // namespace marloven
