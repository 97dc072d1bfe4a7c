#include "core/cfg_store.h"

#include "core/errors.h"
#include "core/file_io.h"
#include "core/text.h"

namespace marloven {

CfgStore::CfgStore(std::filesystem::path directory) : directory_(std::move(directory)) {}

bool KeyLineMatches(std::string_view line, std::string_view upperKey) {
    if (line.empty() || line.front() == ';') {
        return false;
    }
    const auto equals = line.find('=');
    const auto keyPart =
        equals == std::string_view::npos ? std::string_view() : line.substr(0, equals);
    // Compared in place, without building the stripped key part: this runs for every
    // line on every keystroke.
    std::size_t matched = 0;
    for (const char c : keyPart) {
        if (c == ' ') {
            continue;
        }
        const char upper = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
        if (matched == upperKey.size() || upper != upperKey[matched]) {
            return false;
        }
        ++matched;
    }
    return matched == upperKey.size();
}

std::string ValueOfKeyLine(std::string_view line) {
    const auto equals = line.find('=');
    std::string value = TrimLeadingBlanks(line.substr(equals + 1));
    for (int i = 0; i < 2; ++i) {
        const auto quote = value.find('"');
        if (quote != std::string::npos) {
            value.erase(quote, 1);
        }
    }
    return value;
}

void SetKeyLine(std::vector<std::string>& lines, bool& endsWithBreak, std::string_view key,
                std::string_view value, bool quoted) {
    std::string line(key);
    line += " = ";
    if (quoted) {
        line += '"';
    }
    line += value;
    if (quoted) {
        line += '"';
    }
    const auto upperKey = UpperAscii(key);
    for (auto& existing : lines) {
        if (KeyLineMatches(existing, upperKey)) {
            existing = std::move(line);
            return;
        }
    }
    if (lines.empty()) {
        endsWithBreak = true;
    }
    lines.push_back(std::move(line));
}

void CfgStore::CfgLoad() {
    const auto bytes = ReadWholeFile(FilePath());
    if (!bytes) {
        throw FileError(CannotOpenFileMessage(FilePath().string()));
    }
    auto split = SplitLines(*bytes);
    // A last line without "=" is dropped once; the break that ended the line before
    // it remains.
    if (!split.lines.empty() && !split.lines.back().empty() &&
        split.lines.back().find('=') == std::string::npos) {
        split.lines.pop_back();
        split.endsWithBreak = !split.lines.empty();
    }
    lines_ = std::move(split.lines);
    endsWithBreak_ = split.endsWithBreak;
}

void CfgStore::CfgSave() const {
    if (WriteFileAtomically(FilePath(), WrittenForm())) {
        throw FileError(CannotCreateFileMessage(FilePath().string()));
    }
}

std::string CfgStore::WrittenForm() const {
    return JoinLines(lines_, endsWithBreak_);
}

std::ptrdiff_t CfgStore::FindKey(std::string_view key) const {
    const auto upperKey = UpperAscii(key);
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (KeyLineMatches(lines_[i], upperKey)) {
            return static_cast<std::ptrdiff_t>(i);
        }
    }
    return -1;
}

std::string CfgStore::CfgGet(std::string_view key) const {
    return CfgGetDefault(key, "");
}

std::string CfgStore::CfgGetDefault(std::string_view key, std::string_view defaultValue) const {
    const auto index = FindKey(key);
    return index < 0 ? std::string(defaultValue) : ValueOfKeyLine(lines_[index]);
}

void CfgStore::CfgSet(std::string_view key, std::string_view value, bool quoted) {
    SetKeyLine(lines_, endsWithBreak_, key, value, quoted);
}

} // namespace marloven
