// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>

namespace marloven {

// File operations whose failures the launcher ignores: each reports success as a
// flag and never throws.

// A regular file (or a link to one) exists at the path; a directory does not count.
bool IsExistingFile(const std::filesystem::path& path);
// Both paths name one existing file (also through another spelling or a link).
bool IsSameFile(const std::filesystem::path& one, const std::filesystem::path& other);
// Copies the file, replacing a writable file that stands at the target; the target is
// replaced whole, never left half written. Copying a file onto itself fails.
bool CopyFileReplacing(const std::filesystem::path& from, const std::filesystem::path& to);
// Renames the file; fails when anything already has the new name.
bool RenameWithoutReplacing(const std::filesystem::path& from, const std::filesystem::path& to);
// Deletes the file; a directory of that name is left alone.
bool DeleteExistingFile(const std::filesystem::path& path);

} // namespace marloven
