// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/dos_support.h"

namespace marloven {

bool SystemRunsDosPrograms() {
    return false;
}

std::filesystem::path BundledDosboxFolder() {
    return {};
}

std::vector<std::filesystem::path> DosboxInstallFolders() {
    return {};
}

std::optional<std::string> DosboxFolderPath(const std::string& path) {
    return path;
}

} // namespace marloven
