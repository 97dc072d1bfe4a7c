#include "core/key_lines.h"

#include "core/text.h"

namespace marloven {

KeyLines::KeyLines() : KeyLines(std::string()) {}

KeyLines::KeyLines(std::string text) : text_(std::make_unique<const std::string>(std::move(text))) {
    auto split = SplitLineViews(*text_);
    lines_ = std::move(split.lines);
    endsWithBreak_ = split.endsWithBreak;
}

KeyLines::KeyLines(KeyLines&&) noexcept = default;
KeyLines& KeyLines::operator=(KeyLines&&) noexcept = default;
KeyLines::~KeyLines() = default;

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

const std::string_view* KeyLines::Find(std::string_view key) const {
    const auto upperKey = UpperAscii(key);
    for (const auto& line : lines_) {
        if (KeyLineMatches(line, upperKey)) {
            return &line;
        }
    }
    return nullptr;
}

void KeyLines::Set(std::string_view key, std::string_view value, bool quoted) {
    std::string line(key);
    line += " = ";
    if (quoted) {
        line += '"';
    }
    // A line break in the value would split the line and slip a line of its own into
    // the file.
    line += OneLine(value);
    if (quoted) {
        line += '"';
    }
    if (const auto* match = Find(key)) {
        const auto index = static_cast<std::size_t>(match - lines_.data());
        lines_[index] = Keep(index, std::move(line));
        return;
    }
    if (lines_.empty()) {
        endsWithBreak_ = true;
    }
    lines_.emplace_back();
    lines_.back() = Keep(lines_.size() - 1, std::move(line));
}

std::string_view KeyLines::Keep(std::size_t index, std::string line) {
    // One text per line that was ever set: every keystroke rewrites the same line, and
    // the store must not grow with each.
    const auto [slot, fresh] = setSlot_.try_emplace(index, setLines_.size());
    if (fresh) {
        setLines_.push_back(std::move(line));
    } else {
        setLines_[slot->second] = std::move(line);
    }
    return setLines_[slot->second];
}

void KeyLines::DropLastLine() {
    setSlot_.erase(lines_.size() - 1);
    lines_.pop_back();
    endsWithBreak_ = !lines_.empty();
}

std::string KeyLines::WrittenForm() const {
    return JoinLines(lines_, endsWithBreak_);
}

} // namespace marloven
