// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/dosbox_output.h"

#include "core/text.h"

#include <algorithm>

namespace marloven {

namespace {

constexpr std::size_t kLinesShown = 6;

// DOSBox's words for a link it could not make, as its versions print them.
constexpr std::string_view kLinkFailures[] = {
    "could not open TCP port", "Connection failed",      "failed to connect",
    "Unable to connect",       "Server failed to start", "Timeout connecting",
};

// Every blank DOSBox itself trims from a configuration line, tab among them: a line it
// reads as "[section]" must be one here too.
std::string_view Trimmed(std::string_view line) {
    constexpr std::string_view kBlanks = " \t\r\n\v\f";
    const auto first = line.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) {
        return {};
    }
    return line.substr(first, line.find_last_not_of(kBlanks) - first + 1);
}

std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const auto end = text.find('\n');
        lines.push_back(Trimmed(text.substr(0, end)));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    }
    return lines;
}

std::optional<std::string> Cause(const DosboxEnd& end) {
    if (end.crashed) {
        return std::string("DOSBox crashed.");
    }
    for (const std::string_view line : Lines(end.output)) {
        if (const auto at = line.find("Exit to error:"); at != std::string_view::npos) {
            return "DOSBox stopped with an error: " + std::string(Trimmed(line.substr(at + 14)));
        }
        for (const std::string_view failure : kLinkFailures) {
            if (line.find(failure) != std::string_view::npos) {
                return "DOSBox could not make the link: " + std::string(line);
            }
        }
    }
    if (end.exitCode != 0) {
        return "DOSBox ended with code " + std::to_string(end.exitCode) + ".";
    }
    return std::nullopt;
}

} // namespace

std::vector<std::string> LastLines(std::string_view text, std::size_t count) {
    std::vector<std::string> kept;
    for (const std::string_view line : Lines(text)) {
        if (!line.empty()) {
            kept.emplace_back(line);
        }
    }
    const auto first = kept.size() > count ? kept.size() - count : 0;
    return {kept.begin() + static_cast<std::ptrdiff_t>(first), kept.end()};
}

std::optional<std::string> DosboxTrouble(const DosboxEnd& end) {
    auto cause = Cause(end);
    if (!cause) {
        return std::nullopt;
    }
    const auto last = LastLines(end.output, kLinesShown);
    if (!last.empty()) {
        *cause += "\n\nDOSBox's last lines:";
        for (const std::string& line : last) {
            *cause += "\n" + line;
        }
    }
    return cause;
}

std::vector<std::string> AutoexecLines(std::string_view configuration) {
    std::vector<std::string> lines;
    bool inside = false;
    for (const std::string_view line : Lines(configuration)) {
        if (!line.empty() && line.front() == '[') {
            inside = UpperAscii(line) == "[AUTOEXEC]";
        } else if (inside && !line.empty()) {
            lines.emplace_back(line);
        }
    }
    return lines;
}

} // namespace marloven
