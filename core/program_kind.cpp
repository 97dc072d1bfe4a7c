// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/program_kind.h"

#include "core/text.h"

#include <array>
#include <cstdint>
#include <fstream>
#include <string>

namespace marloven {

namespace {

constexpr std::streamoff kNewHeaderField = 0x3C; // where an "MZ" header keeps the offset
constexpr std::streamoff kRelocationField = 0x18;
// Windows linkers put the relocation table at 0x40 or later; a DOS program with an
// older header may hold anything at 0x3C, so "NE" counts only then.
constexpr unsigned kNewStyleRelocations = 0x40;

unsigned ReadWord(std::istream& in, std::streamoff at) {
    std::array<unsigned char, 2> bytes{};
    in.seekg(at);
    in.read(reinterpret_cast<char*>(bytes.data()), bytes.size());
    return in ? bytes[0] | (bytes[1] << 8) : 0;
}

std::string ReadAt(std::istream& in, std::streamoff at, std::streamsize count) {
    std::string bytes(static_cast<std::size_t>(count), '\0');
    in.seekg(at);
    in.read(bytes.data(), count);
    return in ? bytes : std::string();
}

bool NamedLikeCom(const std::filesystem::path& program) {
    return UpperAscii(program.extension().string()) == ".COM";
}

} // namespace

ProgramKind ReadProgramKind(const std::filesystem::path& program) {
    std::ifstream in(program, std::ios::binary);
    const std::string magic = ReadAt(in, 0, 2);
    if (magic != "MZ" && magic != "ZM") {
        // A .COM file has no header at all; the name is all there is to go by.
        return in.is_open() && NamedLikeCom(program) ? ProgramKind::Dos : ProgramKind::Native;
    }
    in.clear();
    const std::uint32_t newHeader =
        ReadWord(in, kNewHeaderField) | (ReadWord(in, kNewHeaderField + 2) << 16);
    in.clear();
    const std::string signature = ReadAt(in, newHeader, 4);
    if (signature == std::string("PE\0\0", 4)) {
        return ProgramKind::Windows;
    }
    in.clear();
    if (signature.rfind("NE", 0) == 0 && ReadWord(in, kRelocationField) >= kNewStyleRelocations) {
        return ProgramKind::Windows16;
    }
    return ProgramKind::Dos;
}

} // namespace marloven
