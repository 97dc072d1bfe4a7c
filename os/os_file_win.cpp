// SPDX-License-Identifier: GPL-3.0-or-later
#include "os/os_file.h"

#include <windows.h>

namespace marloven {

namespace {

// The failures a save tells apart, in the standard's terms, as the C library would
// give them; any other keeps the system's own code and text.
std::error_code LastError() {
    const DWORD code = GetLastError();
    switch (code) {
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return std::make_error_code(std::errc::file_exists);
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
        return std::make_error_code(std::errc::permission_denied);
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return std::make_error_code(std::errc::no_space_on_device);
    case ERROR_WRITE_PROTECT:
        return std::make_error_code(std::errc::read_only_file_system);
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return std::make_error_code(std::errc::no_such_file_or_directory);
    default:
        return std::error_code(static_cast<int>(code != 0 ? code : ERROR_GEN_FAILURE),
                               std::system_category());
    }
}

HANDLE Handle(std::intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

std::intptr_t Opened(HANDLE handle, std::error_code& error) {
    if (handle == INVALID_HANDLE_VALUE) {
        error = LastError();
        return -1;
    }
    error.clear();
    return reinterpret_cast<std::intptr_t>(handle);
}

// Others may read and even rename the file meanwhile, as they may any file of the
// game; only a second writer of the same new name is kept out.
constexpr DWORD kShared = FILE_SHARE_READ | FILE_SHARE_DELETE;

} // namespace

OsFile OsFile::CreateNew(const std::filesystem::path& path, std::error_code& error) {
    return OsFile(Opened(CreateFileW(path.c_str(), GENERIC_WRITE, kShared, nullptr, CREATE_NEW,
                                     FILE_ATTRIBUTE_NORMAL, nullptr),
                         error));
}

OsFile OsFile::OpenExisting(const std::filesystem::path& path, std::error_code& error) {
    return OsFile(Opened(CreateFileW(path.c_str(), GENERIC_WRITE, kShared | FILE_SHARE_WRITE,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr),
                         error));
}

bool OsFile::IsOpen() const {
    return handle_ != -1;
}

std::error_code OsFile::Reserve(std::uint64_t size) {
    // Windows allocates what the size asks for, so a full disk shows here. A smaller
    // size would cut the file, so only growth is asked for.
    LARGE_INTEGER current{};
    if (!GetFileSizeEx(Handle(handle_), &current)) {
        return LastError();
    }
    if (static_cast<std::uint64_t>(current.QuadPart) >= size) {
        return {};
    }
    FILE_ALLOCATION_INFO info{};
    info.AllocationSize.QuadPart = static_cast<LONGLONG>(size);
    if (SetFileInformationByHandle(Handle(handle_), FileAllocationInfo, &info, sizeof info)) {
        return {};
    }
    return LastError();
}

std::error_code OsFile::WriteAt(std::uint64_t offset, std::string_view bytes) {
    while (!bytes.empty()) {
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset & 0xffffffffu);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        const DWORD chunk =
            bytes.size() > (1u << 30) ? (1u << 30) : static_cast<DWORD>(bytes.size());
        DWORD written = 0;
        if (!WriteFile(Handle(handle_), bytes.data(), chunk, &written, &at) || written == 0) {
            return LastError();
        }
        bytes.remove_prefix(written);
        offset += written;
    }
    return {};
}

std::error_code OsFile::Truncate(std::uint64_t size) {
    FILE_END_OF_FILE_INFO info{};
    info.EndOfFile.QuadPart = static_cast<LONGLONG>(size);
    if (SetFileInformationByHandle(Handle(handle_), FileEndOfFileInfo, &info, sizeof info)) {
        return {};
    }
    return LastError();
}

std::error_code OsFile::Sync() {
    return FlushFileBuffers(Handle(handle_)) ? std::error_code() : LastError();
}

void OsFile::TakeOwnerOf(const std::filesystem::path&) {
    // The new file takes the folder's inherited rights, as a file the player saved
    // anew would.
}

std::error_code OsFile::Close() {
    if (handle_ == -1) {
        return {};
    }
    const BOOL closed = CloseHandle(Handle(handle_));
    handle_ = -1;
    return closed ? std::error_code() : LastError();
}

std::error_code SyncFolder(const std::filesystem::path&) {
    // NTFS logs the rename itself.
    return {};
}

std::uint32_t CurrentProcessId() {
    return static_cast<std::uint32_t>(GetCurrentProcessId());
}

bool ProcessIsRunning(std::uint32_t id) {
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, id);
    if (process == nullptr) {
        // Denied means it runs as someone else; any other failure, that it is gone.
        return GetLastError() == ERROR_ACCESS_DENIED;
    }
    const bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    CloseHandle(process);
    return running;
}

} // namespace marloven
