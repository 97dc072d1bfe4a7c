// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace marloven {

// One opponent of the phonebook. Both texts are single-byte text as in the file;
// in memory they may be longer than a record holds.
struct PhonebookEntry {
    std::string name;
    std::string number;

    bool operator==(const PhonebookEntry&) const = default;
};

// MARLOVEN.PBK: fixed records with no header, each two fields of a length byte and
// kPhonebookFieldSize characters (name, then number).
inline constexpr const char* kPhonebookFileName = "MARLOVEN.PBK";
inline constexpr std::size_t kPhonebookFieldSize = 40;
inline constexpr std::size_t kPhonebookRecordSize = 2 * (1 + kPhonebookFieldSize);

// Far more opponents than anyone lists, and few enough that the list of them takes a
// few tens of megabytes at most.
inline constexpr std::size_t kMostPhonebookEntries = 100000;

// The entries of the file's bytes, in file order. A length byte above the field size
// counts as the field size, so a field is never read past. Throws FileError naming
// `fileName` when the bytes end inside a record or hold more than
// kMostPhonebookEntries records.
std::vector<PhonebookEntry> ParsePhonebook(std::string_view bytes, const std::string& fileName);

// The file's bytes for the entries: each text cut to the field size, the rest of the
// field zero.
std::string FormatPhonebook(const std::vector<PhonebookEntry>& entries);

// Reads the phonebook of the game directory without ever opening it for writing,
// so a read-only file still lists. No file means no entries. Throws FileError when
// the file cannot be read, is cut short or is too large, which is seen from its size
// before a byte of it is read.
std::vector<PhonebookEntry> ReadPhonebook(const std::filesystem::path& directory);

// Replaces the phonebook atomically: when the write fails the old file stays whole
// and FileError says why.
void WritePhonebook(const std::filesystem::path& directory,
                    const std::vector<PhonebookEntry>& entries);

} // namespace marloven
