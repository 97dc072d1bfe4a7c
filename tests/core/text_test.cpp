// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/text.h"

#include <gtest/gtest.h>

namespace marloven {
namespace {

TEST(TextFunctions, TouchOnlyBlanksAndAsciiLetters) {
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

TEST(SplitLines, FindsEveryBreakWhereverItFallsInTheText) {
    // Breaks of every kind at every offset, CR LF pairs across eight-byte boundaries
    // too, checked against a plain byte-by-byte reading.
    const std::string kinds[] = {"\r\n", "\r", "\n", "\n\r", "\r\r\n"};
    std::string text;
    std::vector<std::string> expected;
    std::string line;
    for (int i = 0; i < 200; ++i) {
        line += static_cast<char>('a' + i % 26);
        if (i % 3 == 0 || i % 7 == 0) {
            const std::string& kind = kinds[i % 5];
            text += line + kind;
            expected.push_back(line);
            if (kind.size() == 2 && kind != "\r\n") {
                expected.emplace_back(); // two breaks in a row
            }
            if (kind.size() == 3) {
                expected.emplace_back();
            }
            line.clear();
        }
    }
    for (std::size_t cut = text.size() - 12; cut <= text.size(); ++cut) {
        SCOPED_TRACE(cut);
        const auto split = SplitLines(std::string_view(text).substr(0, cut));
        std::vector<std::string> lines;
        std::string current;
        bool endsWithBreak = false;
        for (std::size_t i = 0; i < cut; ++i) {
            endsWithBreak = text[i] == '\r' || text[i] == '\n';
            if (!endsWithBreak) {
                current += text[i];
                continue;
            }
            lines.push_back(current);
            current.clear();
            if (text[i] == '\r' && i + 1 < cut && text[i + 1] == '\n') {
                ++i;
            }
        }
        if (!current.empty()) {
            lines.push_back(current);
        }
        EXPECT_EQ(split.lines, lines);
        EXPECT_EQ(split.endsWithBreak, endsWithBreak);
    }
    EXPECT_EQ(SplitLines(text).lines, expected);
}

TEST(JoinLines, UsesCrLfAndAddsTheFinalBreakOnlyWhenAsked) {
    EXPECT_EQ(JoinLines({"a", "", "b"}, false), "a\r\n\r\nb");
    EXPECT_EQ(JoinLines({"a"}, true), "a\r\n");
    EXPECT_EQ(JoinLines({""}, true), "\r\n");
}

} // namespace
} // namespace marloven
