#pragma once

#include <filesystem>
#include <optional>
#include <span>
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
std::error_code WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes);
// The same with the bytes given as pieces, written one after another.
std::error_code WriteFileAtomically(const std::filesystem::path& path,
                                    std::span<const std::string_view> pieces);

// The player's words for a failed write: "Disk full", "File access denied", or the
// system's own text.
std::string DescribeWriteError(const std::error_code& error);

// Makes every atomic write fail with the given error until it is cleared, so tests
// can see a full disk even when they run as root.
class WriteFailureForTesting {
  public:
    explicit WriteFailureForTesting(std::error_code error);
    ~WriteFailureForTesting();
    WriteFailureForTesting(const WriteFailureForTesting&) = delete;
    WriteFailureForTesting& operator=(const WriteFailureForTesting&) = delete;
};

} // namespace marloven
