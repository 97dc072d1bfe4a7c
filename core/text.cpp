// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/text.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

namespace marloven {

std::string TrimLeadingBlanks(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    return first == std::string_view::npos ? std::string() : std::string(text.substr(first));
}

std::string UpperAscii(std::string_view text) {
    std::string result(text);
    for (char& c : result) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return result;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsHexDigit(char c) {
    return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

namespace {

std::string BlankedLine(std::string_view text, bool keepTabAndDelete) {
    std::string line;
    line.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool crBeforeLf = text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n';
        if (!crBeforeLf) {
            const auto byte = static_cast<unsigned char>(text[i]);
            const bool control = byte < 0x20 || byte == 0x7f;
            const bool kept = keepTabAndDelete && (byte == '\t' || byte == 0x7f);
            line += control && !kept ? ' ' : text[i];
        }
    }
    return line;
}

} // namespace

std::string OneLine(std::string_view text) {
    return BlankedLine(text, true);
}

std::string DriverLine(std::string_view text) {
    return BlankedLine(text, false);
}

namespace {

constexpr std::uint64_t kEveryByte = 0x0101010101010101u;
constexpr std::uint64_t kLow7 = 0x7f7f7f7f7f7f7f7fu;

// Byte k of a word read from memory is its bits 8k to 8k+7.
static_assert(std::endian::native == std::endian::little);

// The top bit of each byte of word that equals c, and no other bit.
std::uint64_t BytesEqual(std::uint64_t word, char c) {
    const std::uint64_t x = word ^ (kEveryByte * static_cast<unsigned char>(c));
    return ~(((x & kLow7) + kLow7) | x | kLow7);
}

} // namespace

SplitTextViews SplitLineViews(std::string_view text) {
    SplitTextViews result;
    const char* const data = text.data();
    const std::size_t size = text.size();
    // Room for lines of 16 bytes on average; what a file of longer lines leaves unused
    // is never touched, and one of shorter lines grows the list as usual.
    result.lines.reserve(size / 16 + 1);
    std::size_t start = 0;
    // Eight bytes at a time: a byte loop took longer than reading the file. The last
    // few bytes are handled one by one, in the same pass.
    for (std::size_t i = 0; i < size; i += 8) {
        std::uint64_t breaks = 0;
        if (i + 8 <= size) {
            std::uint64_t word;
            std::memcpy(&word, data + i, sizeof word);
            breaks = BytesEqual(word, '\r') | BytesEqual(word, '\n');
        } else {
            for (std::size_t k = i; k < size; ++k) {
                breaks |=
                    data[k] == '\r' || data[k] == '\n' ? std::uint64_t{0x80} << 8 * (k - i) : 0;
            }
        }
        for (; breaks != 0; breaks &= breaks - 1) {
            const std::size_t at = i + static_cast<std::size_t>(std::countr_zero(breaks)) / 8;
            if (at < start) {
                continue; // the LF of a CR LF already taken
            }
            result.lines.emplace_back(data + start, at - start);
            start = at + (data[at] == '\r' && at + 1 < size && data[at + 1] == '\n' ? 2 : 1);
        }
    }
    result.endsWithBreak = size > 0 && start == size;
    if (start < size) {
        result.lines.emplace_back(data + start, size - start);
    }
    return result;
}

SplitText SplitLines(std::string_view text) {
    auto views = SplitLineViews(text);
    return SplitText{{views.lines.begin(), views.lines.end()}, views.endsWithBreak};
}

std::string JoinLines(const std::vector<std::string_view>& lines, bool endsWithBreak) {
    std::size_t size = 0;
    for (const auto& line : lines) {
        size += line.size() + 2;
    }
    std::string result;
    result.reserve(size);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) {
            result += "\r\n";
        }
        result += lines[i];
    }
    if (endsWithBreak && !lines.empty()) {
        result += "\r\n";
    }
    return result;
}

} // namespace marloven
