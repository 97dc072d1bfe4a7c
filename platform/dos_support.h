// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace marloven {

// Whether this system starts DOS programs itself: a 32-bit Windows does when its DOS
// support (NTVDM) is installed; a 64-bit Windows and every other system need DOSBox.
bool SystemRunsDosPrograms();

// The folder where a DOSBox that came with the launcher lies: on Windows the program's
// own folder (the ZIP and the installer put dosbox.exe beside marloven.exe), searched
// before all others; none elsewhere, where DOSBox comes with the system's packages.
std::filesystem::path BundledDosboxFolder();

// The folders DOSBox's installers made on this system (DOSBox, DOSBox Staging,
// DOSBox-X under the program folders), searched after the program search path;
// none outside Windows, where DOSBox comes with the system's packages.
std::vector<std::filesystem::path> DosboxInstallFolders();

// A folder's path (UTF-8) as DOSBox opens it. DOSBox for Windows reads its configuration
// in the system's code page for older programs, not UTF-8: a path beyond ASCII goes by
// its short (8.3) name, which is ASCII, or else in that code page; nothing when neither
// can name it. Elsewhere the path as it is.
std::optional<std::string> DosboxFolderPath(const std::string& path);

} // namespace marloven
