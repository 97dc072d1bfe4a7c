// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "comm/registry_source.h"

#include <filesystem>
#include <memory>
#include <string>

namespace marloven {

// Where this system's installed modems are read from. A .reg file named on the command
// line always serves; without one, Windows reads its own registry, and other systems
// read MODEMS.REG in the game directory when it is there, or find no modems.
std::unique_ptr<RegistrySource> MakeSystemRegistrySource(const std::string& regFileOption,
                                                         const std::filesystem::path& gameDir);

} // namespace marloven
