// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/dos_support.h"

namespace marloven {

bool SystemRunsDosPrograms() {
    return false;
}

std::vector<std::filesystem::path> DosboxInstallFolders() {
    return {};
}

} // namespace marloven
