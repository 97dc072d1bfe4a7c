// SPDX-License-Identifier: GPL-3.0-or-later
#include "comm/game_code.h"

#include <gtest/gtest.h>

namespace marloven {
namespace {

// Every code read back is the code shown, whatever its bits, including the edges where
// a wrong shift or mask would lose the top or bottom bits.
TEST(GameCode, ShownCodeReadsBackAsItself) {
    const std::array<std::array<std::uint8_t, kGameCodeBytes>, 4> samples{{
        {0, 0, 0, 0, 0},
        {0xff, 0xff, 0xff, 0xff, 0xff},
        {0x80, 0, 0, 0, 1},
        {0x12, 0x9a, 0x3c, 0x55, 0xe7},
    }};
    for (const auto& bytes : samples) {
        const auto code = MakeGameCode(bytes);
        const auto shown = ShowGameCode(code);
        ASSERT_EQ(shown.size(), 9u);
        EXPECT_EQ(shown[4], '-');
        EXPECT_EQ(ParseGameCode(shown), code) << shown;
    }
    EXPECT_EQ(ShowGameCode(MakeGameCode(samples[0])), "0000-0000");
    EXPECT_EQ(ShowGameCode(MakeGameCode(samples[1])), "ZZZZ-ZZZZ");
}

// A code heard by voice or typed in lower case is the same code; anything else is none,
// so that a mistyped code is refused rather than read as some other game's.
TEST(GameCode, ReadsWhatAPlayerTypesAndNothingElse) {
    const auto code = ParseGameCode("K7PW-2QXM");
    ASSERT_TRUE(code);
    EXPECT_EQ(ParseGameCode("k7pw2qxm"), code);
    EXPECT_EQ(ParseGameCode("O0I0-L000"), ParseGameCode("0010-1000"));
    for (const auto* bad : {"", "K7PW-2QX", "K7PW-2QXMM", "K7PW 2QXM", "K7P-W2QXM", "K7PW--2QXM",
                            "U7PW-2QXM", "K7PW_2QXM", "-K7PW2QXM"}) {
        EXPECT_FALSE(ParseGameCode(bad)) << bad;
    }
    EXPECT_FALSE(ParseGameCode(std::string_view("K7PW\0QXM", 8)));
}

} // namespace
} // namespace marloven
