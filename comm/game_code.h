// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

// The code a hosting player gives the invited: 40 random bits, shown as eight Crockford
// base32 symbols in two groups, "K7PW-2QXM". It is short enough to read out by voice and
// is what a joiner proves, and what the meeting place's keys are made from.
namespace marloven {

inline constexpr std::size_t kGameCodeBytes = 5;
inline constexpr std::size_t kGameCodeSymbols = 8;

struct GameCode {
    std::array<std::uint8_t, kGameCodeBytes> bytes{};

    bool operator==(const GameCode&) const = default;
};

// The code made of the caller's random bytes: this file holds no source of randomness,
// so that the caller chooses a good one (and a test a fixed one).
GameCode MakeGameCode(std::span<const std::uint8_t, kGameCodeBytes> randomBytes);

// "K7PW-2QXM": upper case, a hyphen between the two groups of four.
std::string ShowGameCode(const GameCode& code);

// Reads a code as a player types or hears it: either case, the hyphen optional, and the
// letters Crockford's alphabet leaves out read as the digits they look like (O as 0, I and
// L as 1). Anything else (another length, U, spaces, other punctuation) is no code.
std::optional<GameCode> ParseGameCode(std::string_view text);

} // namespace marloven
