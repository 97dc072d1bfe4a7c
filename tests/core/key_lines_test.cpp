// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/key_lines.h"

#include "tests/support/texts.h"

#include <gtest/gtest.h>

namespace marloven {
namespace {

TEST(KeyLines, StayValidWhenMoved) {
    // Short texts live inside the string object itself: a move that copied them would
    // leave the line views dangling.
    KeyLines lines(std::string("A=1\nB"));
    lines.Set("C", "2", false);
    lines.Set("A", "x", true);
    KeyLines moved(std::move(lines));
    KeyLines assigned;
    assigned = std::move(moved);
    EXPECT_EQ(test::Texts(assigned.Lines()), (std::vector<std::string>{"A = \"x\"", "B", "C = 2"}));
    EXPECT_EQ(assigned.WrittenForm(), "A = \"x\"\r\nB\r\nC = 2");
}

TEST(KeyLines, ALineSetAgainShowsItsNewTextEvenWhenItOutgrowsTheOld) {
    // Each line that was set keeps one text that later sets overwrite: a view left on
    // the old buffer would show freed bytes.
    KeyLines lines(std::string("A=1\r\nB=2\r\n"));
    lines.Set("B", "x", false);
    lines.Set("B", std::string(200, 'y'), false);
    lines.Set("New", "1", false);
    lines.Set("New", "22", false);
    EXPECT_EQ(lines.WrittenForm(), "A=1\r\nB = " + std::string(200, 'y') + "\r\nNew = 22\r\n");
}

TEST(KeyLines, DroppingTheLastLineKeepsTheBreakBeforeIt) {
    KeyLines lines(std::string("A=1\r\n[x]"));
    lines.DropLastLine();
    EXPECT_EQ(lines.WrittenForm(), "A=1\r\n");
    lines.DropLastLine();
    EXPECT_EQ(lines.WrittenForm(), "");
    EXPECT_FALSE(lines.EndsWithBreak());
}

TEST(KeyLines, KeepEveryValueOnItsOwnLine) {
    // A pasted line break must not split the key's line and slip in a line of its own.
    KeyLines lines(std::string("A = 1\r\n"));
    lines.Set("A", "x\r\nPlayerName = Mallory\ry\nz", true);
    EXPECT_EQ(lines.WrittenForm(), "A = \"x PlayerName = Mallory y z\"\r\n");
    // Nor may a NUL or Ctrl-Z end the text early for a reader; tab and high bytes stay.
    using namespace std::string_literals;
    lines.Set("A", "a\x00z\x1aq\x1f\tw\x7f\x80\xff\n\n"s, false);
    EXPECT_EQ(lines.WrittenForm(), "A = a z q \tw\x7f\x80\xff  \r\n");
}

} // namespace
} // namespace marloven
