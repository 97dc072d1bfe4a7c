// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/file_io.h"

#include "core/errors.h"
#include "os/os_file.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <new>
#include <optional>
#include <random>
#include <stdexcept>

namespace marloven {

namespace {

std::uint64_t TotalSize(std::span<const std::string_view> pieces) {
    std::uint64_t size = 0;
    for (const auto piece : pieces) {
        size += piece.size();
    }
    return size;
}

// Eight hex digits that another launcher starting at the same moment will not draw.
std::string RandomHex() {
    static std::mt19937 draw = [] {
        std::random_device device;
        const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
        std::seed_seq seed{device(), static_cast<unsigned>(now), static_cast<unsigned>(now >> 32),
                           CurrentProcessId()};
        return std::mt19937(seed);
    }();
    static std::mutex guard;
    const std::lock_guard lock(guard);
    char text[9];
    std::snprintf(text, sizeof text, "%08x", static_cast<unsigned>(draw()));
    return text;
}

// A file of our own beside the target: the process id and a random part make the name
// unlikely to be taken, and the exclusive creation makes it certain, so two launchers
// saving at once never write into one file.
std::error_code CreateTemporaryBeside(const std::filesystem::path& path,
                                      std::filesystem::path& temporary, OsFile& file) {
    if (const std::error_code injected = InjectedWriteFailure(WriteStep::NewFile)) {
        return injected;
    }
    std::error_code error;
    for (int attempt = 0; attempt < 16; ++attempt) {
        // Appended to the path itself: turning a Windows name into a narrow string could
        // fail for letters outside the code page.
        temporary = path;
        temporary += ".~" + std::to_string(CurrentProcessId()) + "-" + RandomHex() + ".tmp";
        file = OsFile::CreateNew(temporary, error);
        if (error != std::errc::file_exists) {
            return error;
        }
    }
    return error;
}

// Writes the pieces from the file's start, gathered into large writes: a configuration
// comes in a piece per changed line.
std::error_code WritePieces(OsFile& file, std::span<const std::string_view> pieces) {
    constexpr std::size_t kGathered = 1 << 20;
    std::string buffer;
    std::uint64_t at = 0;
    const auto flush = [&] {
        const auto error = file.WriteAt(at, buffer);
        at += buffer.size();
        buffer.clear();
        return error;
    };
    for (const auto piece : pieces) {
        if (buffer.size() + piece.size() > kGathered) {
            if (auto error = flush()) {
                return error;
            }
        }
        if (piece.size() > kGathered) {
            if (auto error = file.WriteAt(at, piece)) {
                return error;
            }
            at += piece.size();
        } else {
            buffer += piece;
        }
    }
    return flush();
}

// Until the bytes are on the disk, a power cut could leave the renamed file empty.
std::error_code Flush(OsFile& file) {
    if (const std::error_code injected = InjectedWriteFailure(WriteStep::Flush)) {
        return injected;
    }
    return file.Sync();
}

// A folder that lets its files be changed but takes no new file refuses with these.
bool RefusesNewFiles(const std::error_code& error) {
    return error == std::errc::permission_denied || error == std::errc::operation_not_permitted;
}

// Puts the old bytes back after a failed rewrite in place.
void PutBack(OsFile& file, const std::string& old) {
    if (!file.WriteAt(0, old) && !file.Truncate(old.size())) {
        file.Sync();
    }
}

// The last resort where no temporary file can be made: the file is rewritten where it
// stands. Room for the new bytes is reserved before the first old byte changes, and the
// old bytes are kept to be put back, so a full disk or a failing write leaves the file
// as it was. A crash in the middle still spoils it.
std::error_code WriteInPlace(const std::filesystem::path& path,
                             std::span<const std::string_view> pieces) {
    if (const std::error_code injected = InjectedWriteFailure(WriteStep::InPlace)) {
        return injected;
    }
    const auto old = ReadWholeFile(path);
    if (!old) {
        return std::make_error_code(std::errc::io_error);
    }
    std::error_code error;
    OsFile file = OsFile::OpenExisting(path, error);
    if (error) {
        return error;
    }
    const auto size = TotalSize(pieces);
    if ((error = file.Reserve(size))) {
        // A reservation that fails part-way (ext4 on a full disk) may already have grown
        // the file with zeros beyond its old end: the old length is all the file had.
        if (!file.Truncate(old->size())) {
            file.Sync();
        }
        return error;
    }
    // One write, so that the time in which a crash spoils the file is as short as it can be.
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(size));
    for (const auto piece : pieces) {
        bytes += piece;
    }
    error = file.WriteAt(0, bytes);
    if (!error) {
        error = file.Truncate(size);
    }
    if (!error) {
        error = Flush(file);
    }
    if (error) {
        PutBack(file, *old);
        return error;
    }
    return file.Close();
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

bool AllOf(std::string_view text, std::string_view allowed) {
    return !text.empty() && text.find_first_not_of(allowed) == std::string_view::npos;
}

// "<name>.~<process>-<8 hex>.tmp" of a process that has ended, or "<name>.~<n>.tmp" (as
// earlier versions named them) left a minute ago or longer.
bool IsLeftover(const std::filesystem::path& path) {
    constexpr std::string_view kDigits = "0123456789";
    // Ours are plain ASCII; any other letter is kept as a mark that matches nothing.
    std::string name;
    const auto filename = path.filename();
    for (const auto c : filename.native()) {
        name += static_cast<unsigned long>(c) < 128 ? static_cast<char>(c) : '?';
    }
    const auto tilde = name.rfind(".~");
    if (tilde == std::string::npos || tilde == 0 || !name.ends_with(".tmp")) {
        return false;
    }
    const std::string_view mark =
        std::string_view(name).substr(tilde + 2, name.size() - tilde - 2 - 4);
    const auto dash = mark.find('-');
    if (dash != std::string_view::npos) {
        const auto process = mark.substr(0, dash);
        const auto random = mark.substr(dash + 1);
        if (!AllOf(process, kDigits) || process.size() > 10 || random.size() != 8 ||
            !AllOf(random, "0123456789abcdef")) {
            return false;
        }
        const auto id = std::stoull(std::string(process));
        return id > UINT32_MAX || !ProcessIsRunning(static_cast<std::uint32_t>(id));
    }
    std::error_code error;
    const auto written = std::filesystem::last_write_time(path, error);
    return AllOf(mark, kDigits) && !error &&
           std::filesystem::file_time_type::clock::now() - written > std::chrono::minutes(1);
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

std::optional<std::uintmax_t> SizeOver(const std::filesystem::path& path, std::uintmax_t most) {
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    return !error && size > most ? std::optional(size) : std::nullopt;
}

std::string ReadGameTextFile(const std::filesystem::path& path) {
    if (const auto size = SizeOver(path, kMostTextFileBytes)) {
        throw FileError(path.string() + " holds " + std::to_string(*size) +
                        " bytes, more than the " + std::to_string(kMostTextFileBytes >> 20) +
                        " MB a game's text file can hold. The file was left as it is; move it "
                        "aside or shorten it.");
    }
    auto bytes = ReadWholeFile(path);
    if (!bytes) {
        throw FileError(CannotOpenFileMessage(path.string()));
    }
    return std::move(*bytes);
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
    std::filesystem::path temporary;
    OsFile file;
    if (auto error = CreateTemporaryBeside(path, temporary, file)) {
        // Writable already, as checked above, and the only way to save at all.
        return old && RefusesNewFiles(error) ? WriteInPlace(path, pieces) : error;
    }
    if (old) {
        file.TakeOwnerOf(path);
    }
    std::error_code error = WritePieces(file, pieces);
    if (!error) {
        error = Flush(file);
    }
    if (const auto closed = file.Close(); !error) {
        error = closed;
    }
    if (!error && old) {
        std::filesystem::permissions(temporary, old->permissions(), error);
    }
    if (!error) {
        std::filesystem::rename(temporary, path, error);
    }
    if (error) {
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
        return error;
    }
    const auto folder = path.parent_path();
    return SyncFolder(folder.empty() ? std::filesystem::path(".") : folder);
}

std::size_t RemoveLeftoverTemporaries(const std::filesystem::path& folder) {
    std::error_code error;
    std::size_t removed = 0;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        std::error_code ignored;
        if (it->is_regular_file(ignored) && IsLeftover(it->path()) &&
            std::filesystem::remove(it->path(), ignored)) {
            ++removed;
        }
    }
    return removed;
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
