// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/demo_files.h"

#include "core/file_ops.h"
#include "core/game_file.h"

namespace marloven {

namespace fs = std::filesystem;

bool DemoFileOperations::IsFile(const fs::path& path) {
    return IsExistingFile(path);
}

bool DemoFileOperations::Copy(const fs::path& from, const fs::path& to) {
    return CopyFileReplacing(from, to);
}

bool DemoFileOperations::Rename(const fs::path& from, const fs::path& to) {
    return RenameWithoutReplacing(from, to);
}

bool DemoFileOperations::Delete(const fs::path& path) {
    return DeleteExistingFile(path);
}

DemoFileOperations& SystemDemoFileOperations() {
    static DemoFileOperations system;
    return system;
}

DemoSaveResult SaveRecordedDemoTo(const fs::path& gameDir, const fs::path& target,
                                  DemoFileOperations& files) {
    const fs::path recording = FindGameFile(gameDir, kRecordedDemoName);
    if (!files.IsFile(recording)) {
        return DemoSaveResult::NoRecording;
    }
    if (!files.Copy(recording, target)) {
        return DemoSaveResult::CopyFailed;
    }
    files.Delete(recording);
    return DemoSaveResult::Saved;
}

namespace {

// A name with wildcards is the list's mask, not a demo.
bool IsMask(const fs::path& name) {
    const fs::path::string_type& text = name.native();
    return text.find_first_of(fs::path::string_type{'*', '?'}) != fs::path::string_type::npos;
}

} // namespace

bool PlayDemo(const fs::path& directory, const fs::path& name, DemoFileOperations& files,
              const std::function<void()>& runGame) {
    if (name.empty() || IsMask(name)) {
        return false;
    }
    const fs::path demo = directory / name; // a full path stays as it is
    if (!files.IsFile(demo)) {
        return false;
    }
    // Both go back under the names they had.
    const fs::path gameDemo = FindGameFile(directory, kGameDemoName);
    const fs::path backup = FindGameFile(directory, kGameDemoBackupName);
    // The demo asked for may itself be the backup's name; it is never deleted.
    if (files.IsFile(backup) && !IsSameFile(backup, demo)) {
        files.Delete(backup);
    }
    if (files.IsFile(gameDemo)) {
        files.Rename(gameDemo, backup);
    }
    files.Rename(demo, gameDemo);
    runGame();
    files.Rename(gameDemo, demo);
    if (files.IsFile(backup)) {
        files.Rename(backup, gameDemo);
    }
    return true;
}

} // namespace marloven
