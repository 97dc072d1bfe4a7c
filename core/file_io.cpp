#include "core/file_io.h"

#include <atomic>
#include <cerrno>
#include <fstream>

namespace marloven {

namespace {

std::error_code g_forcedWriteFailure;

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

std::error_code WriteNewFile(const std::filesystem::path& path, std::string_view bytes) {
    if (g_forcedWriteFailure) {
        return g_forcedWriteFailure;
    }
    errno = 0;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) {
        return LastStreamError();
    }
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
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

} // namespace

std::optional<std::string> ReadWholeFile(const std::filesystem::path& path) {
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored)) {
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::string bytes;
    std::error_code sizeUnknown;
    if (const auto size = std::filesystem::file_size(path, sizeUnknown); !sizeUnknown) {
        bytes.reserve(size);
    }
    char buffer[1 << 16];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        bytes.append(buffer, static_cast<std::size_t>(in.gcount()));
    }
    if (in.bad()) {
        return std::nullopt;
    }
    return bytes;
}

std::error_code WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes) {
    const auto temporary = TemporaryBeside(path);
    if (auto error = WriteNewFile(temporary, bytes)) {
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
        return error;
    }
    std::error_code error;
    std::filesystem::rename(temporary, path, error);
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

WriteFailureForTesting::WriteFailureForTesting(std::error_code error) {
    g_forcedWriteFailure = error;
}

WriteFailureForTesting::~WriteFailureForTesting() { g_forcedWriteFailure.clear(); }

} // namespace marloven
