// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace marloven {

// How a run of DOSBox ended, as the runner saw it, and what it printed.
struct DosboxEnd {
    int exitCode = 0;
    bool crashed = false;
    std::string output;
};

// What went wrong in a run of DOSBox, in the player's words, with DOSBox's own last
// lines; nothing when it ran well. DOSBox reports some failures only in its output
// and still ends with 0 ("Exit to error: ...", a link it could not make).
std::optional<std::string> DosboxTrouble(const DosboxEnd& end);

// The last `count` lines of text that are not blank.
std::vector<std::string> LastLines(std::string_view text, std::size_t count);

// The lines of the [autoexec] section of a DOSBox configuration, in order, trimmed: a
// line that opens another section (indented or not) ends it, as it does in DOSBox.
std::vector<std::string> AutoexecLines(std::string_view configuration);

} // namespace marloven
