// SPDX-License-Identifier: GPL-3.0-or-later
#include "comm/phonebook.h"

#include "core/errors.h"
#include "core/file_io.h"
#include "core/game_file.h"

#include <algorithm>

namespace marloven {

namespace {

// Reads the field that starts at `field` (its length byte).
std::string ReadField(std::string_view field) {
    const auto length =
        std::min<std::size_t>(static_cast<unsigned char>(field[0]), kPhonebookFieldSize);
    return std::string(field.substr(1, length));
}

void AppendField(std::string& out, std::string_view text) {
    const auto counted = text.substr(0, kPhonebookFieldSize);
    out.push_back(static_cast<char>(counted.size()));
    out.append(counted);
    out.append(kPhonebookFieldSize - counted.size(), '\0');
}

void CheckEntryCount(std::uintmax_t size, const std::string& fileName) {
    const auto entries = size / kPhonebookRecordSize;
    if (entries > kMostPhonebookEntries) {
        throw FileError(fileName + " holds " + std::to_string(entries) +
                        " entries, more than the " + std::to_string(kMostPhonebookEntries) +
                        " a phonebook can list. The file was left as it is; move it aside or "
                        "shorten it to use the phonebook.");
    }
}

} // namespace

std::vector<PhonebookEntry> ParsePhonebook(std::string_view bytes, const std::string& fileName) {
    CheckEntryCount(bytes.size(), fileName);
    if (bytes.size() % kPhonebookRecordSize != 0) {
        throw FileError("Read error in " + fileName + ": the file ends inside an entry (" +
                        std::to_string(bytes.size()) + " bytes is not a multiple of " +
                        std::to_string(kPhonebookRecordSize) + ")");
    }
    std::vector<PhonebookEntry> entries;
    entries.reserve(bytes.size() / kPhonebookRecordSize);
    for (std::size_t at = 0; at < bytes.size(); at += kPhonebookRecordSize) {
        const auto record = bytes.substr(at, kPhonebookRecordSize);
        entries.push_back({ReadField(record), ReadField(record.substr(1 + kPhonebookFieldSize))});
    }
    return entries;
}

std::string FormatPhonebook(const std::vector<PhonebookEntry>& entries) {
    std::string bytes;
    bytes.reserve(entries.size() * kPhonebookRecordSize);
    for (const auto& entry : entries) {
        AppendField(bytes, entry.name);
        AppendField(bytes, entry.number);
    }
    return bytes;
}

std::vector<PhonebookEntry> ReadPhonebook(const std::filesystem::path& directory) {
    const auto path = FindGameFile(directory, kPhonebookFileName);
    std::error_code error;
    if (!std::filesystem::exists(path, error) && !error) {
        return {};
    }
    if (const auto size = std::filesystem::file_size(path, error); !error) {
        CheckEntryCount(size, path.string());
    }
    const auto bytes = ReadWholeFile(path);
    if (!bytes) {
        throw FileError(CannotOpenFileMessage(path.string()));
    }
    return ParsePhonebook(*bytes, path.string());
}

void WritePhonebook(const std::filesystem::path& directory,
                    const std::vector<PhonebookEntry>& entries) {
    const auto path = FindGameFile(directory, kPhonebookFileName);
    if (const auto error = WriteFileAtomically(path, FormatPhonebook(entries))) {
        throw FileError(CannotCreateFileMessage(path.string()) + ": " + DescribeWriteError(error));
    }
}

} // namespace marloven
