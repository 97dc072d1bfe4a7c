// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <functional>

namespace marloven {

// The recording the game writes when started with "-dr$$MRV$$.DMO".
inline constexpr const char* kRecordedDemoName = "$$MRV$$.DMO";
// The demo the game plays when started without switches.
inline constexpr const char* kGameDemoName = "DEMO1.DMO";
// Where the game's own demo waits while another one plays.
inline constexpr const char* kGameDemoBackupName = "DEMO1.$MV";
inline constexpr const char* kDemoMask = "*.dmo";

// The file operations the demo steps use, so tests can make any of them fail. Each
// reports success as a flag and never throws; the defaults are core/file_ops.h's.
class DemoFileOperations {
  public:
    virtual ~DemoFileOperations() = default;
    virtual bool IsFile(const std::filesystem::path& path);
    virtual bool Copy(const std::filesystem::path& from, const std::filesystem::path& to);
    virtual bool Rename(const std::filesystem::path& from, const std::filesystem::path& to);
    virtual bool Delete(const std::filesystem::path& path);
};

// The system's own file operations.
DemoFileOperations& SystemDemoFileOperations();

enum class DemoSaveResult {
    Saved,
    NoRecording, // the game wrote no "$$MRV$$.DMO"
    CopyFailed,  // "$$MRV$$.DMO" is kept
};

// Copies "$$MRV$$.DMO" from the game directory to target (replacing a file there) and
// deletes the recording only once the copy has succeeded, so a full disk or a
// read-only target never costs the player the only copy.
DemoSaveResult SaveRecordedDemoTo(const std::filesystem::path& gameDir,
                                  const std::filesystem::path& target, DemoFileOperations& files);

// Plays the demo named name (relative to directory, or a full path) by putting it in
// the place of directory's "DEMO1.DMO" while runGame runs, then putting both back.
// Renames never replace a file, failures are ignored and every step runs whatever the
// ones before achieved. Does nothing, and returns false, when name is a mask or names
// no file.
bool PlayDemo(const std::filesystem::path& directory, const std::filesystem::path& name,
              DemoFileOperations& files, const std::function<void()>& runGame);

} // namespace marloven
