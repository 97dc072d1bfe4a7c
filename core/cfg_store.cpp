// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/cfg_store.h"

#include "core/errors.h"
#include "core/file_io.h"
#include "core/text.h"

namespace marloven {

CfgStore::CfgStore(std::filesystem::path directory) : directory_(std::move(directory)) {}

void CfgStore::CfgLoad() {
    KeyLines lines(ReadGameTextFile(FilePath()));
    // A last line without "=" is dropped once; the break that ended the line before
    // it remains.
    const auto& read = lines.Lines();
    if (!read.empty() && !read.back().empty() && read.back().find('=') == std::string::npos) {
        lines.DropLastLine();
    }
    lines_ = std::move(lines);
    holdsFileLines_ = true;
}

void CfgStore::CfgSave() const {
    std::error_code ignored;
    if (!holdsFileLines_ && std::filesystem::exists(FilePath(), ignored)) {
        throw FileError(CannotCreateFileMessage(FilePath().string()) +
                        ": it could not be read, and saving would lose the settings in it");
    }
    if (WriteFileAtomically(FilePath(), lines_.WrittenPieces())) {
        throw FileError(CannotCreateFileMessage(FilePath().string()));
    }
}

std::string CfgStore::WrittenForm() const {
    return lines_.WrittenForm();
}

std::string CfgStore::CfgGet(std::string_view key) const {
    return CfgGetDefault(key, "");
}

std::string CfgStore::CfgGetDefault(std::string_view key, std::string_view defaultValue) const {
    const auto* line = lines_.Find(key);
    return line == nullptr ? std::string(defaultValue) : ValueOfKeyLine(*line);
}

void CfgStore::CfgSet(std::string_view key, std::string_view value, bool quoted) {
    lines_.Set(key, value, quoted);
}

} // namespace marloven
