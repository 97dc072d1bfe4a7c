#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

namespace marloven {

// The whole file as bytes; nothing when it cannot be opened or read (missing, a
// directory, a pipe or device, no permission).
std::optional<std::string> ReadWholeFile(const std::filesystem::path& path);

// Replaces the file whole: the bytes go to a temporary file beside it, which is then
// renamed over it, so a full disk or a crash leaves the old file as it was. A read-only
// file is refused (permission_denied), the new file keeps the old one's permissions,
// and a link is written through. Returns the failure, or an empty error code on
// success; no temporary file is left behind.
//
// Where the folder refuses a new file (no permission) but the existing file may be
// written, the file is written in place instead: cut, written, flushed and closed,
// each step checked and a failure returned. Only a crash, or a disk that fills up, in
// the middle of that can then spoil the file.
std::error_code WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes);

// The player's words for a failed write: "Disk full", "File access denied", or the
// system's own text.
std::string DescribeWriteError(const std::error_code& error);

// Makes atomic writes fail with the given error until it is cleared, so tests can see
// a full disk, or a folder that takes no new file, even when they run as root.
class WriteFailureForTesting {
  public:
    enum class Scope {
        EveryWrite, // a full disk: nothing can be written
        NewFiles,   // a folder that refuses new files; its files can still be written
    };
    explicit WriteFailureForTesting(std::error_code error, Scope scope = Scope::EveryWrite);
    ~WriteFailureForTesting();
    WriteFailureForTesting(const WriteFailureForTesting&) = delete;
    WriteFailureForTesting& operator=(const WriteFailureForTesting&) = delete;
};

} // namespace marloven
