// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "comm/commit_data.h"

#include <filesystem>

namespace marloven {

inline constexpr const char* kCommitFileName = "COMMIT.DAT";

// Replaces COMMIT.DAT in the game directory with the 41 default lines. Throws FileError
// ("Disk full", "File access denied", ...) when it cannot be written; the write is
// atomic, so a failure leaves no half-written file and any old file whole.
void WriteDefaultCommitData(const std::filesystem::path& gameDir);

// What a multiplayer start does to COMMIT.DAT in the game directory: writes the default
// file when there is none, reads it, sets the keys of the mode and replaces it
// atomically. Throws FileError("Cannot open file ...") when it cannot be read and
// FileError("Cannot create file ...") when it cannot be written back.
void ComposeCommitFile(const std::filesystem::path& gameDir, const CommitSettings& settings);

} // namespace marloven
