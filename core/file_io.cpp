// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/file_io.h"

#include <atomic>
#include <cerrno>
#include <fstream>
#include <new>
#include <optional>
#include <stdexcept>

namespace marloven {

namespace {

std::error_code LastStreamError() {
    const int saved = errno;
    return std::error_code(saved != 0 ? saved : EIO, std::generic_category());
}

std::filesystem::path TemporaryBeside(const std::filesystem::path& path) {
    static std::atomic<unsigned> counter{0};
    // Appended to the path itself: turning a Windows name into a narrow string could
    // fail for letters outside the code page.
    auto temporary = path;
    temporary += ".~" + std::to_string(counter++) + ".tmp";
    return temporary;
}

// Opens the file for writing from its start: a new file is created, an existing one
// cut to nothing.
std::error_code OpenForWriting(std::ofstream& out, const std::filesystem::path& path,
                               bool newFile) {
    if (const std::error_code injected = InjectedWriteFailure(newFile)) {
        return injected;
    }
    errno = 0;
    out.open(path, std::ios::binary | std::ios::trunc);
    return out ? std::error_code() : LastStreamError();
}

// Writes the pieces one after another, flushes and closes, checking each step.
std::error_code WriteAndClose(std::ofstream& out, std::span<const std::string_view> pieces) {
    errno = 0;
    for (const auto bytes : pieces) {
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    if (!out) {
        return LastStreamError();
    }
    out.flush();
    if (!out) {
        return LastStreamError();
    }
    out.close();
    if (!out) {
        return LastStreamError();
    }
    return {};
}

// A folder that lets its files be changed but takes no new file refuses with these.
bool RefusesNewFiles(const std::error_code& error) {
    return error == std::errc::permission_denied || error == std::errc::operation_not_permitted;
}

// The last resort where no temporary file can be made: the file is rewritten where it
// stands.
std::error_code WriteInPlace(const std::filesystem::path& path,
                             std::span<const std::string_view> pieces) {
    std::ofstream out;
    if (auto error = OpenForWriting(out, path, false)) {
        return error;
    }
    return WriteAndClose(out, pieces);
}

// A link is written through, so that it stays a link to the file it names.
std::filesystem::path FollowLink(const std::filesystem::path& path) {
    std::error_code error;
    if (!std::filesystem::is_symlink(path, error)) {
        return path;
    }
    const auto target = std::filesystem::canonical(path, error);
    return error ? path : target;
}

std::optional<std::filesystem::file_status> ExistingFile(const std::filesystem::path& path) {
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (error || !std::filesystem::is_regular_file(status)) {
        return std::nullopt;
    }
    return status;
}

// A rename would replace even a file that the player made read-only, so the old file
// is asked first: without a write permission bit (which root's own writes would pass
// by), or refusing to be opened for writing, it stays as it is.
bool IsWritable(const std::filesystem::path& path, std::filesystem::perms permissions) {
    using std::filesystem::perms;
    if ((permissions & (perms::owner_write | perms::group_write | perms::others_write)) ==
        perms::none) {
        return false;
    }
    return std::fstream(path, std::ios::in | std::ios::out | std::ios::binary).is_open();
}

} // namespace

std::optional<std::string> ReadWholeFile(const std::filesystem::path& path) {
    // A pipe would never end and a device such as /dev/zero never stop: only a file
    // (or a link to one) is read.
    std::error_code ignored;
    if (!std::filesystem::is_regular_file(path, ignored)) {
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    // A file larger than memory can hold is a file that cannot be read, not a crash.
    try {
        // Read straight into the string at the size the file has; a file that grows
        // meanwhile is read on to its end.
        std::error_code sizeUnknown;
        const auto size = std::filesystem::file_size(path, sizeUnknown);
        std::string bytes(sizeUnknown ? 0 : size, '\0');
        in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        bytes.resize(static_cast<std::size_t>(in.gcount()));
        char buffer[1 << 16];
        while (in && (in.read(buffer, sizeof buffer) || in.gcount() > 0)) {
            bytes.append(buffer, static_cast<std::size_t>(in.gcount()));
        }
        if (in.bad()) {
            return std::nullopt;
        }
        return bytes;
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    } catch (const std::length_error&) {
        return std::nullopt;
    }
}

std::error_code WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes) {
    return WriteFileAtomically(path, std::span<const std::string_view>(&bytes, 1));
}

std::error_code WriteFileAtomically(const std::filesystem::path& linkOrFile,
                                    std::span<const std::string_view> pieces) {
    const auto path = FollowLink(linkOrFile);
    const auto old = ExistingFile(path);
    if (old && !IsWritable(path, old->permissions())) {
        return std::make_error_code(std::errc::permission_denied);
    }
    const auto temporary = TemporaryBeside(path);
    std::ofstream out;
    if (auto error = OpenForWriting(out, temporary, true)) {
        // Writable already, as checked above, and the only way to save at all.
        return old && RefusesNewFiles(error) ? WriteInPlace(path, pieces) : error;
    }
    if (auto error = WriteAndClose(out, pieces)) {
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
        return error;
    }
    std::error_code error;
    if (old) {
        std::filesystem::permissions(temporary, old->permissions(), error);
    }
    if (!error) {
        std::filesystem::rename(temporary, path, error);
    }
    if (error) {
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
    }
    return error;
}

std::string DescribeWriteError(const std::error_code& error) {
    if (error == std::errc::no_space_on_device) {
        return "Disk full";
    }
    if (error == std::errc::permission_denied || error == std::errc::operation_not_permitted ||
        error == std::errc::read_only_file_system) {
        return "File access denied";
    }
    return error.message();
}

} // namespace marloven
