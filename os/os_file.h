// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <filesystem>
#include <string_view>
#include <system_error>

namespace marloven {

// The few file calls that the standard library lacks and a safe save needs: a file
// made only if no other has the name, room reserved before the old bytes are touched,
// and writes that reach the disk before a rename makes them the file. One source per
// system (os_file_posix.cpp, os_file_win.cpp).
class OsFile {
  public:
    OsFile() = default;
    ~OsFile() { Close(); }
    OsFile(OsFile&& other) noexcept : handle_(other.handle_) { other.handle_ = -1; }
    OsFile& operator=(OsFile&& other) noexcept {
        if (this != &other) {
            Close();
            handle_ = other.handle_;
            other.handle_ = -1;
        }
        return *this;
    }
    OsFile(const OsFile&) = delete;
    OsFile& operator=(const OsFile&) = delete;

    // A new file under this name, failing with file_exists when anything (a file, a
    // link, a folder) has it already.
    static OsFile CreateNew(const std::filesystem::path& path, std::error_code& error);
    // An existing file opened for writing, its bytes left as they are.
    static OsFile OpenExisting(const std::filesystem::path& path, std::error_code& error);

    bool IsOpen() const;
    // Makes sure the file can grow to this size, so that a full disk shows before a byte
    // of it changes. Where the system cannot say, nothing is reserved.
    std::error_code Reserve(std::uint64_t size);
    std::error_code WriteAt(std::uint64_t offset, std::string_view bytes);
    std::error_code Truncate(std::uint64_t size);
    // Until this returns, the bytes may sit in memory only.
    std::error_code Sync();
    // Gives the file the owner and group of the file at `from`, as far as this process
    // may; a failure is no error, the file then stays the saver's.
    void TakeOwnerOf(const std::filesystem::path& from);
    std::error_code Close();

  private:
    explicit OsFile(std::intptr_t handle) : handle_(handle) {}
    std::intptr_t handle_ = -1;
};

// Makes a rename inside the folder last; nothing where the system keeps renames by itself.
std::error_code SyncFolder(const std::filesystem::path& folder);

std::uint32_t CurrentProcessId();
// False only when no process with this id runs; a process of another user counts.
bool ProcessIsRunning(std::uint32_t id);

} // namespace marloven
