// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/mouse_tweak.h"

#include <gtest/gtest.h>

namespace marloven {
namespace {

TEST(MouseTweakFile, HoldsFourCrLfLinesWithTheBoxTextsAsTyped) {
    // Blanks and an 8-bit byte inside the boxes must arrive untouched; nothing checks them.
    EXPECT_EQ(ComposeMouseTweakData({"VK.EXE", "-nopred -f2", " 7 5", "-\xe9"}),
              "VK.EXE\r\n-nopred -f2\r\n 7 5\r\n-\xe9\r\n");
    EXPECT_EQ(ComposeMouseTweakData({"COMMIT.EXE", "", "", ""}), "COMMIT.EXE\r\n\r\n\r\n\r\n");
}

} // namespace
} // namespace marloven
