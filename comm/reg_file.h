// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "comm/registry_source.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace marloven {

// The registry export that describes the modems where there is no registry.
inline constexpr const char* kModemRegFileName = "MODEMS.REG";

// The keys below HKEY_LOCAL_MACHINE of a registry export, with their text values. Reads
// both formats regedit writes: "REGEDIT4" (8-bit text) and "Windows Registry Editor
// Version 5.00" (UTF-16LE after a byte-order mark; characters above 255 become "?").
// Never fails: a line it cannot read is passed over.
MemoryRegistrySource ParseRegFile(std::string_view bytes);

// The export in the file; an empty source when there is no such file. Throws FileError
// when the file cannot be read or is too large (see ReadGameTextFile).
MemoryRegistrySource LoadRegFile(const std::filesystem::path& path);

// The export to read: the one the command line names, else MODEMS.REG in the game
// directory when it is there, else none.
std::optional<std::filesystem::path> ChooseRegFile(const std::string& regFileOption,
                                                   const std::filesystem::path& gameDir);

} // namespace marloven
