// SPDX-License-Identifier: GPL-3.0-or-later
#include "comm/game_code.h"

namespace marloven {
namespace {

constexpr std::string_view kSymbols = "0123456789ABCDEFGHJKMNPQRSTVWXYZ";
constexpr std::size_t kGroup = 4;

std::optional<unsigned> SymbolValue(char c) {
    if (c >= 'a' && c <= 'z') {
        c = static_cast<char>(c - 'a' + 'A');
    }
    switch (c) {
    case 'O':
        return 0;
    case 'I':
    case 'L':
        return 1;
    default:
        break;
    }
    const auto at = kSymbols.find(c);
    if (c == '\0' || at == std::string_view::npos) {
        return std::nullopt;
    }
    return static_cast<unsigned>(at);
}

} // namespace

GameCode MakeGameCode(std::span<const std::uint8_t, kGameCodeBytes> randomBytes) {
    GameCode code;
    std::copy(randomBytes.begin(), randomBytes.end(), code.bytes.begin());
    return code;
}

std::string ShowGameCode(const GameCode& code) {
    std::uint64_t bits = 0;
    for (const auto byte : code.bytes) {
        bits = (bits << 8) | byte;
    }
    std::string text;
    for (std::size_t i = 0; i < kGameCodeSymbols; ++i) {
        if (i == kGroup) {
            text += '-';
        }
        const auto shift = 5 * (kGameCodeSymbols - 1 - i);
        text += kSymbols[(bits >> shift) & 31];
    }
    return text;
}

std::optional<GameCode> ParseGameCode(std::string_view text) {
    if (text.size() == kGameCodeSymbols + 1 && text[kGroup] == '-') {
        std::string joined(text.substr(0, kGroup));
        joined += text.substr(kGroup + 1);
        return ParseGameCode(joined);
    }
    if (text.size() != kGameCodeSymbols) {
        return std::nullopt;
    }
    std::uint64_t bits = 0;
    for (const char c : text) {
        const auto value = SymbolValue(c);
        if (!value) {
            return std::nullopt;
        }
        bits = (bits << 5) | *value;
    }
    GameCode code;
    for (std::size_t i = 0; i < kGameCodeBytes; ++i) {
        code.bytes[kGameCodeBytes - 1 - i] = static_cast<std::uint8_t>(bits >> (8 * i));
    }
    return code;
}

} // namespace marloven
