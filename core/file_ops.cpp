#include "core/file_ops.h"

#include <system_error>

namespace marloven {

namespace fs = std::filesystem;

bool IsExistingFile(const fs::path& path) {
    std::error_code error;
    return fs::is_regular_file(path, error);
}

bool CopyFileReplacing(const fs::path& from, const fs::path& to) {
    if (!IsExistingFile(from)) {
        return false;
    }
    std::error_code error;
    return fs::copy_file(from, to, fs::copy_options::overwrite_existing, error) && !error;
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
