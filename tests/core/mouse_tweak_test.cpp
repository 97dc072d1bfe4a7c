#include "core/file_io.h"
#include "core/mouse_tweak.h"

#include "tests/support/game_dir.h"

#include <gtest/gtest.h>

namespace marloven {
namespace {

using test::GameDir;

TEST(MouseTweakFile, HoldsFourCrLfLinesWithTheBoxTextsAsTyped) {
    // Blanks and an 8-bit byte inside the boxes must arrive untouched; nothing checks them.
    EXPECT_EQ(ComposeMouseTweakData({"VK.EXE", "-nopred -f2", " 7 5", "-\xe9"}),
              "VK.EXE\r\n-nopred -f2\r\n 7 5\r\n-\xe9\r\n");
    EXPECT_EQ(ComposeMouseTweakData({"COMMIT.EXE", "", "", ""}), "COMMIT.EXE\r\n\r\n\r\n\r\n");
}

TEST(MouseTweakFile, ReplacesAnOlderLongerFileWhole) {
    GameDir dir({{"VKSETMS.DAT", "OLD.EXE\r\n-a -b -c -d -e\r\n100\r\n100\r\nleft over\r\n"}});
    EXPECT_FALSE(WriteMouseTweakFile(dir.Path(), {"VK.EXE", "-nopred", "50", "0"}));
    EXPECT_EQ(dir.Read("VKSETMS.DAT"), "VK.EXE\r\n-nopred\r\n50\r\n0\r\n");
}

TEST(MouseTweakFile, AFailedWriteIsReturnedInThePlayersWordsAndLeavesTheOldFile) {
    GameDir dir({{"VKSETMS.DAT", "kept"}});
    {
        WriteFailureForTesting diskFull(std::make_error_code(std::errc::no_space_on_device));
        const std::error_code error = WriteMouseTweakFile(dir.Path(), {"VK.EXE", "", "1", "2"});
        ASSERT_TRUE(error);
        EXPECT_EQ(DescribeWriteError(error), "Disk full");
    }
    EXPECT_EQ(dir.Read("VKSETMS.DAT"), "kept");
    EXPECT_TRUE(WriteMouseTweakFile(dir / "no-such-dir", {"VK.EXE", "", "1", "2"}));
}

} // namespace
} // namespace marloven
