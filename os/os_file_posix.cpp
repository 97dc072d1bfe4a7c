// SPDX-License-Identifier: GPL-3.0-or-later
#include "os/os_file.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace marloven {

namespace {

std::error_code LastError() {
    return std::error_code(errno != 0 ? errno : EIO, std::generic_category());
}

int Descriptor(std::intptr_t handle) {
    return static_cast<int>(handle);
}

std::intptr_t Opened(int fd, std::error_code& error) {
    error = fd < 0 ? LastError() : std::error_code();
    return fd;
}

} // namespace

OsFile OsFile::CreateNew(const std::filesystem::path& path, std::error_code& error) {
    // O_EXCL also refuses a link planted under the name, which would write elsewhere.
    errno = 0;
    return OsFile(
        Opened(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666), error));
}

OsFile OsFile::OpenExisting(const std::filesystem::path& path, std::error_code& error) {
    errno = 0;
    return OsFile(Opened(::open(path.c_str(), O_WRONLY | O_CLOEXEC), error));
}

bool OsFile::IsOpen() const {
    return handle_ >= 0;
}

std::error_code OsFile::Reserve(std::uint64_t size) {
    if (size == 0) {
        return {};
    }
    const int result = ::posix_fallocate(Descriptor(handle_), 0, static_cast<off_t>(size));
    // Some file systems (and some libraries) cannot reserve; the write then finds out.
    if (result == EOPNOTSUPP || result == ENOSYS) {
        return {};
    }
    return std::error_code(result, std::generic_category());
}

std::error_code OsFile::WriteAt(std::uint64_t offset, std::string_view bytes) {
    while (!bytes.empty()) {
        errno = 0;
        const auto written =
            ::pwrite(Descriptor(handle_), bytes.data(), bytes.size(), static_cast<off_t>(offset));
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return LastError();
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
        offset += static_cast<std::uint64_t>(written);
    }
    return {};
}

std::error_code OsFile::Truncate(std::uint64_t size) {
    errno = 0;
    return ::ftruncate(Descriptor(handle_), static_cast<off_t>(size)) == 0 ? std::error_code()
                                                                           : LastError();
}

std::error_code OsFile::Sync() {
    errno = 0;
    return ::fsync(Descriptor(handle_)) == 0 ? std::error_code() : LastError();
}

void OsFile::TakeOwnerOf(const std::filesystem::path& from) {
    struct stat old {};
    if (::stat(from.c_str(), &old) != 0) {
        return;
    }
    // Root may give the file back to its owner; a player may at least keep the group
    // when it is one of theirs.
    if (::fchown(Descriptor(handle_), old.st_uid, old.st_gid) != 0) {
        [[maybe_unused]] const int ignored =
            ::fchown(Descriptor(handle_), static_cast<uid_t>(-1), old.st_gid);
    }
}

std::error_code OsFile::Close() {
    if (handle_ < 0) {
        return {};
    }
    errno = 0;
    // Closing is final even when it fails; the descriptor is gone either way.
    const int result = ::close(Descriptor(handle_));
    handle_ = -1;
    return result == 0 ? std::error_code() : LastError();
}

std::error_code SyncFolder(const std::filesystem::path& folder) {
    errno = 0;
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        // A folder this process may not read is a folder it cannot flush; the rename
        // has been made all the same.
        return {};
    }
    // Some file systems cannot flush a folder and say so; the rename is all there is.
    const int result = ::fsync(fd);
    const auto error =
        result == 0 || errno == EINVAL || errno == EROFS ? std::error_code() : LastError();
    ::close(fd);
    return error;
}

std::uint32_t CurrentProcessId() {
    return static_cast<std::uint32_t>(::getpid());
}

bool ProcessIsRunning(std::uint32_t id) {
    if (id == 0 || id > static_cast<std::uint32_t>(INT32_MAX)) {
        return false;
    }
    return ::kill(static_cast<pid_t>(id), 0) == 0 || errno != ESRCH;
}

} // namespace marloven
