// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>

namespace marloven {

// What a program file holds, read from its first bytes rather than its name.
enum class ProgramKind {
    Native,    // anything the system starts itself: its own programs, scripts
    Dos,       // "MZ" without a Windows header (LE/LX behind a DOS extender too), or a .COM
    Windows,   // "MZ" with a "PE" header
    Windows16, // "MZ" with an "NE" header: needs a 16-bit Windows
};

// A file that cannot be read counts as Native, so the system's own start reports it.
ProgramKind ReadProgramKind(const std::filesystem::path& program);

} // namespace marloven
