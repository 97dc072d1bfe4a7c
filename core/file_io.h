// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
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

// The most a game's text file (VK.CFG, COMMIT.DAT) is read at: a real one holds a few
// kilobytes, and a stray or sparse file of gigabytes would take as much memory and
// half a minute before the window showed.
inline constexpr std::uintmax_t kMostTextFileBytes = std::uintmax_t{16} << 20;

// The file's size when it is larger than `most`, so that it is not to be read; nothing
// when it is not, or when its size cannot be told (the read then says what is wrong).
std::optional<std::uintmax_t> SizeOver(const std::filesystem::path& path, std::uintmax_t most);

// A game's text file whole. Throws FileError when it cannot be read, or when it is
// larger than kMostTextFileBytes (then it is not read at all).
std::string ReadGameTextFile(const std::filesystem::path& path);

// Replaces the file whole: the bytes go to a temporary file of its own beside it (made
// exclusively, so two launchers saving at once never share one), which is flushed to
// the disk and then renamed over it, and the folder flushed after; a full disk or a
// crash leaves the old file as it was. A read-only file is refused (permission_denied),
// the new file keeps the old one's permissions and, where the saver may give them, its
// owner and group, and a link is written through. Returns the failure, or an empty
// error code on success; no temporary file is left behind.
//
// Where the folder refuses a new file (no permission) but the existing file may be
// written, the file is written in place instead: room for the new bytes is reserved
// first and the old bytes are put back after a failed write, so a full disk leaves the
// file as it was. Only a crash in the middle of the write can then spoil the file.
std::error_code WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes);
// The same with the bytes given as pieces, written one after another.
std::error_code WriteFileAtomically(const std::filesystem::path& path,
                                    std::span<const std::string_view> pieces);

// The player's words for a failed write: "Disk full", "File access denied", or the
// system's own text.
std::string DescribeWriteError(const std::error_code& error);

// Removes the temporary files that saves of a launcher which ended before it could
// finish left in the folder: those named by a process that no longer runs, and those of
// earlier versions (named by a counter alone) untouched for a minute. Returns how many
// went.
std::size_t RemoveLeftoverTemporaries(const std::filesystem::path& folder);

// The steps of a save at which a failure can be made to happen.
enum class WriteStep {
    NewFile, // creating the temporary file
    InPlace, // opening the file itself where no temporary file can be made
    Flush,   // flushing the written bytes to the disk
};

// The failure that the step reports instead of taking place, or an empty error code
// for it to take place. A seam at link time: the program links the definition that never fails
// (core/no_write_failure.cpp, the marloven_no_write_failure library), the tests one
// they can set (tests/support/write_failure.h), so they see a full disk even when they
// run as root while the program carries no switch for it.
std::error_code InjectedWriteFailure(WriteStep step);

} // namespace marloven
