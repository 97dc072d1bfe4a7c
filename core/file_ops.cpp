// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/file_ops.h"

#include "core/file_io.h"

#include <system_error>

namespace marloven {

namespace fs = std::filesystem;

bool IsExistingFile(const fs::path& path) {
    std::error_code error;
    return fs::is_regular_file(path, error);
}

bool IsSameFile(const fs::path& one, const fs::path& other) {
    std::error_code error;
    return fs::equivalent(one, other, error);
}

namespace {

bool IsReadOnlyFile(const fs::path& path) {
    std::error_code error;
    const auto status = fs::status(path, error);
    return !error && fs::exists(status) &&
           (status.permissions() & fs::perms::owner_write) == fs::perms::none;
}

} // namespace

// Not copy_file with overwrite_existing: some standard libraries on Windows refuse to
// overwrite with it, taking any two files of one drive for the same file.
bool CopyFileReplacing(const fs::path& from, const fs::path& to) {
    if (!IsExistingFile(from) || IsSameFile(from, to) || IsReadOnlyFile(to)) {
        return false;
    }
    const auto bytes = ReadWholeFile(from);
    return bytes && !WriteFileAtomically(to, *bytes);
}

bool RenameWithoutReplacing(const fs::path& from, const fs::path& to) {
    std::error_code error;
    // symlink_status, so that even a dangling link keeps its name.
    if (fs::exists(fs::symlink_status(to, error)) || !fs::exists(fs::symlink_status(from, error))) {
        return false;
    }
    fs::rename(from, to, error);
    return !error;
}

bool DeleteExistingFile(const fs::path& path) {
    if (!IsExistingFile(path)) {
        return false;
    }
    std::error_code error;
    return fs::remove(path, error) && !error;
}

} // namespace marloven
