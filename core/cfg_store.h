// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/game_file.h"
#include "core/key_lines.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace marloven {

// The lines of the game's VK.CFG in memory. Changes stay in memory until CfgSave;
// a line that no CfgSet touched is written back byte for byte.
class CfgStore {
  public:
    static constexpr const char* kFileName = "VK.CFG";

    // The store reads and writes VK.CFG in this directory (the game directory).
    explicit CfgStore(std::filesystem::path directory);

    // Replaces every line with those of the file. Throws FileError("Cannot open file
    // ...", or that the file is over 16 MB) and keeps the previous lines when the file
    // cannot be read.
    void CfgLoad();
    // Replaces the file whole with the written form. Throws FileError("Cannot create
    // file ...") when it cannot be written; the store and the old file stay as they were.
    // A file that exists but was never read into the store is not replaced: its
    // settings would be lost.
    void CfgSave() const;

    std::string CfgGet(std::string_view key) const;
    std::string CfgGetDefault(std::string_view key, std::string_view defaultValue) const;
    void CfgSet(std::string_view key, std::string_view value, bool quoted);

    const std::vector<std::string_view>& Lines() const { return lines_.Lines(); }
    // The lines joined by CR LF, as CfgSave writes them.
    std::string WrittenForm() const;
    // VK.CFG, or the vk.cfg a game copied in lower case has.
    std::filesystem::path FilePath() const { return FindGameFile(directory_, kFileName); }

  private:
    std::filesystem::path directory_;
    KeyLines lines_;
    bool holdsFileLines_ = false;
};

} // namespace marloven
