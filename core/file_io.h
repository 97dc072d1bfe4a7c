// SPDX-License-Identifier: GPL-3.0-or-later
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
//
// Where the folder refuses a new file (no permission) but the existing file may be
// written, the file is written in place instead: cut, written, flushed and closed,
// each step checked and a failure returned. Only a crash, or a disk that fills up, in
// the middle of that can then spoil the file.
std::error_code WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes);
// The same with the bytes given as pieces, written one after another.
std::error_code WriteFileAtomically(const std::filesystem::path& path,
                                    std::span<const std::string_view> pieces);

// The player's words for a failed write: "Disk full", "File access denied", or the
// system's own text.
std::string DescribeWriteError(const std::error_code& error);

// The failure that opening a file for writing reports instead of opening it, or an
// empty error code to open it; newFile tells a new file from one rewritten in place.
// A seam at link time: the program links the definition that never fails
// (core/no_write_failure.cpp, the marloven_no_write_failure library), the tests one
// they can set (tests/support/write_failure.h), so they see a full disk even when they
// run as root while the program carries no switch for it.
std::error_code InjectedWriteFailure(bool newFile);

} // namespace marloven
