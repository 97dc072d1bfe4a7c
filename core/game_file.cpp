// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/game_file.h"

#include "core/text.h"

#include <system_error>

namespace marloven {

std::filesystem::path FindGameFile(const std::filesystem::path& directory, std::string_view name) {
    std::filesystem::path written = directory / std::filesystem::path(name);
    std::error_code error;
    if (std::filesystem::exists(written, error)) {
        return written;
    }
    const std::string wanted = UpperAscii(name);
    const std::filesystem::path listed = directory.empty() ? "." : directory;
    for (std::filesystem::directory_iterator entry(listed, error), end; !error && entry != end;
         entry.increment(error)) {
        // UTF-8 never throws for a name the system's code page cannot hold; the game's
        // names are plain ASCII, which compares the same either way.
        const std::u8string found = entry->path().filename().u8string();
        if (UpperAscii(std::string(found.begin(), found.end())) == wanted) {
            return entry->path();
        }
    }
    return written;
}

} // namespace marloven
