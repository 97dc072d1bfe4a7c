// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/key_lines.h"

#include "core/text.h"

#include <cstdint>

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

std::vector<std::string_view> KeyLines::WrittenPieces() const {
    static constexpr std::string_view kBreak = "\r\n";
    // Compared as addresses: a line that was set lies outside the text.
    const auto from = reinterpret_cast<std::uintptr_t>(text_->data());
    const auto breakInText = [&](const char* at) {
        const auto place = reinterpret_cast<std::uintptr_t>(at);
        return place >= from && place + 2 <= from + text_->size() && at[0] == '\r' && at[1] == '\n';
    };
    std::vector<std::string_view> pieces;
    for (std::size_t i = 0; i < lines_.size();) {
        // Lines that follow each other in the text with CR LF between are one piece.
        const char* runStart = lines_[i].data();
        const char* runEnd = runStart + lines_[i].size();
        while (i + 1 < lines_.size() && breakInText(runEnd) && lines_[i + 1].data() == runEnd + 2) {
            ++i;
            runEnd = lines_[i].data() + lines_[i].size();
        }
        ++i;
        bool withBreak = i < lines_.size() || endsWithBreak_;
        if (withBreak && breakInText(runEnd)) {
            runEnd += 2;
            withBreak = false;
        }
        pieces.emplace_back(runStart, static_cast<std::size_t>(runEnd - runStart));
        if (withBreak) {
            pieces.push_back(kBreak);
        }
    }
    return pieces;
}

std::string KeyLines::WrittenForm() const {
    const auto pieces = WrittenPieces();
    std::size_t size = 0;
    for (const auto piece : pieces) {
        size += piece.size();
    }
    std::string written;
    written.reserve(size);
    for (const auto piece : pieces) {
        written += piece;
    }
    return written;
}

} // namespace marloven
