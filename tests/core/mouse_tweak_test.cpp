// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/mouse_tweak.h"

#include "tests/support/game_dir.h"

#include <gtest/gtest.h>

namespace marloven {
namespace {

TEST(MouseTweakFile, HoldsFourCrLfLinesWithTheBoxTextsAsTyped) {
    // Blanks and an 8-bit byte inside the boxes must arrive untouched; nothing checks them.
    EXPECT_EQ(ComposeMouseTweakData({"VK.EXE", "-nopred -f2", " 7 5", "-\xe9"}),
              "VK.EXE\r\n-nopred -f2\r\n 7 5\r\n-\xe9\r\n");
    EXPECT_EQ(ComposeMouseTweakData({"COMMIT.EXE", "", "", ""}), "COMMIT.EXE\r\n\r\n\r\n\r\n");
}

// A setting pasted with line breaks must not become lines of its own: the program would
// read "VK.EXE" as the vertical setting. Tab and DEL are no part of a setting either.
TEST(MouseTweakFile, LineBreaksAndControlBytesInABoxStayOnItsLine) {
    test::GameDir dir;
    ASSERT_FALSE(WriteMouseTweakFile(
        dir.Path(), {"VK.EXE", "-nopred\t-f2", "12\r\nVK.EXE\r\n-evil", "5\x1a\x7f"}));
    EXPECT_EQ(dir.Read("VKSETMS.DAT"),
              std::string("VK.EXE\r\n-nopred -f2\r\n12 VK.EXE -evil\r\n5  \r\n"));
}

} // namespace
} // namespace marloven
