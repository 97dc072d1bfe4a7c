// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <string>

namespace marloven {

struct LinkRegistration {
    bool done = false;
    std::string message; // what was done, or why not, in the player's words
};

// Makes this user's system open marloven: links with the given program. On Windows it
// writes the per-user handler under HKEY_CURRENT_USER\Software\Classes\marloven; on
// other systems the desktop entry installed with Marloven does it already.
LinkRegistration RegisterLinks(const std::filesystem::path& program);

} // namespace marloven
