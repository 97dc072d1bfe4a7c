// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <string_view>

namespace marloven {

// The game's file name in directory as it lies there. Games copied onto a system that
// tells case apart often carry their names in lower case (vk.cfg, commit.dat): where
// the name as written is absent, a file of the same name in another case stands in,
// and writing goes back to that file. The name as written wins when both are there.
// With neither, the name as written, so a new file is made under it. An empty
// directory is the current one.
std::filesystem::path FindGameFile(const std::filesystem::path& directory, std::string_view name);

} // namespace marloven
