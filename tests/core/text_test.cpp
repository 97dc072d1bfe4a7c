#include "core/text.h"

#include <gtest/gtest.h>

namespace marloven {
namespace {

TEST(TextFunctions, TouchOnlyBlanksAndAsciiLetters) {
    EXPECT_EQ(RemoveBlanks(" a b\tc "), "ab\tc");
    EXPECT_EQ(TrimLeadingBlanks("  \t x "), "\t x ");
    EXPECT_EQ(TrimLeadingBlanks("   "), "");
    EXPECT_EQ(UpperAscii("az\xE4{|}AZ09"), "AZ\xE4{|}AZ09");
}

TEST(SplitLines, EndsALineAtCrLfCrOrLfAndRemembersAFinalBreak) {
    auto split = SplitLines("a\r\nb\rc\nd");
    EXPECT_EQ(split.lines, (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_FALSE(split.endsWithBreak);

    split = SplitLines("a\n\r"); // LF then a lone CR: two breaks, one empty line
    EXPECT_EQ(split.lines, (std::vector<std::string>{"a", ""}));
    EXPECT_TRUE(split.endsWithBreak);

    split = SplitLines("");
    EXPECT_TRUE(split.lines.empty());
    EXPECT_FALSE(split.endsWithBreak);
}

TEST(JoinLines, UsesCrLfAndAddsTheFinalBreakOnlyWhenAsked) {
    EXPECT_EQ(JoinLines({"a", "", "b"}, false), "a\r\n\r\nb");
    EXPECT_EQ(JoinLines({"a"}, true), "a\r\n");
    EXPECT_EQ(JoinLines({""}, true), "\r\n");
}

} // namespace
} // namespace marloven
