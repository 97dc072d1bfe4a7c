// SPDX-License-Identifier: GPL-3.0-or-later
#include "comm/commit_file.h"

#include "core/errors.h"
#include "core/file_io.h"
#include "core/game_file.h"

namespace marloven {

void WriteDefaultCommitData(const std::filesystem::path& gameDir) {
    if (const auto error =
            WriteFileAtomically(FindGameFile(gameDir, kCommitFileName), DefaultCommitText())) {
        throw FileError(DescribeWriteError(error));
    }
}

void ComposeCommitFile(const std::filesystem::path& gameDir, const CommitSettings& settings) {
    const auto path = FindGameFile(gameDir, kCommitFileName);
    std::error_code ignored;
    if (!std::filesystem::exists(path, ignored)) {
        WriteDefaultCommitData(gameDir);
    }
    const auto fileText = ReadGameTextFile(path);
    if (WriteFileAtomically(path, ComposeCommitData(fileText, settings))) {
        throw FileError(CannotCreateFileMessage(path.string()));
    }
}

} // namespace marloven
