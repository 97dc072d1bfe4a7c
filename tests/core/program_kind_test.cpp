// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/program_kind.h"
#include "tests/support/game_dir.h"

#include <gtest/gtest.h>

namespace marloven {
namespace {

using test::GameDir;

// An "MZ" header whose relocation table and new-header offset are as given, and the
// signature at that offset.
std::string MzProgram(unsigned relocations, unsigned newHeader, const std::string& signature) {
    std::string bytes(newHeader + 64, '\0');
    bytes[0] = 'M';
    bytes[1] = 'Z';
    bytes[0x18] = static_cast<char>(relocations);
    bytes[0x3C] = static_cast<char>(newHeader & 0xFF);
    bytes[0x3D] = static_cast<char>(newHeader >> 8);
    bytes.replace(newHeader, signature.size(), signature);
    return bytes;
}

TEST(ProgramKind, IsReadFromTheHeadersNotFromTheName) {
    const GameDir dir({
        {"WIN.EXE", MzProgram(0x40, 0x80, std::string("PE\0\0", 4))},
        {"WIN16.EXE", MzProgram(0x40, 0x100, "NE")},
        {"EXTENDED.EXE", MzProgram(0x40, 0x80, "LE")},
        {"LX.EXE", MzProgram(0x40, 0x80, "LX")},
        // An old DOS header holds code at 0x3C: "NE" found through it means nothing.
        {"OLD.EXE", MzProgram(0x1C, 0x80, "NE")},
        {"BEYOND.EXE", std::string("MZ") + std::string(0x3A, '\0') + "\xFF\xFF\xFF\x7F"},
        {"SHORT.EXE", "MZ"},
        {"game.com", "\xB4\x4C\xCD\x21"},
        {"SCRIPT.EXE", "#!/bin/sh\nexit 0\n"},
        {"EMPTY.EXE", ""},
        {"M.EXE", "M"},
    });
    const std::pair<const char*, ProgramKind> expected[] = {
        {"WIN.EXE", ProgramKind::Windows},   {"WIN16.EXE", ProgramKind::Windows16},
        {"EXTENDED.EXE", ProgramKind::Dos},  {"LX.EXE", ProgramKind::Dos},
        {"OLD.EXE", ProgramKind::Dos},       {"BEYOND.EXE", ProgramKind::Dos},
        {"SHORT.EXE", ProgramKind::Dos},     {"game.com", ProgramKind::Dos},
        {"SCRIPT.EXE", ProgramKind::Native}, {"EMPTY.EXE", ProgramKind::Native},
        {"M.EXE", ProgramKind::Native},      {"MISSING.COM", ProgramKind::Native},
    };
    for (const auto& [name, kind] : expected) {
        EXPECT_EQ(ReadProgramKind(dir / name), kind) << name;
    }
    EXPECT_EQ(ReadProgramKind(dir.Path()), ProgramKind::Native);
}

} // namespace
} // namespace marloven
