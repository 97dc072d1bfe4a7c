// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/game_file.h"
#include "tests/support/game_dir.h"

#include <gtest/gtest.h>

namespace marloven {
namespace {

using test::GameDir;

TEST(GameFile, AFileInAnotherCaseStandsInForTheNameAsWritten) {
    const GameDir dir({{"vk.cfg", "lower"}, {"Commit.Dat", "mixed"}, {"VK.CFG.BAK", "other"}});
    // The file that is there is found; where the file system ignores case (Windows),
    // the name as written already names it.
    EXPECT_EQ(dir.Read(FindGameFile(dir.Path(), "VK.CFG").filename().string()), "lower");
    EXPECT_EQ(dir.Read(FindGameFile(dir.Path(), "COMMIT.DAT").filename().string()), "mixed");
    // Neither there: the name as written, for a new file.
    EXPECT_EQ(FindGameFile(dir.Path(), "VKSETMS.DAT"), dir / "VKSETMS.DAT");
    EXPECT_EQ(FindGameFile(dir / "missing-directory", "VK.CFG"),
              dir / "missing-directory" / "VK.CFG");
}

TEST(GameFile, TheNameAsWrittenWinsWhenBothCasesAreThere) {
    const GameDir dir({{"vk.cfg", "lower"}});
    dir.Write("VK.CFG", "upper");
    if (dir.Read("vk.cfg") == "upper") {
        GTEST_SKIP() << "this file system does not tell case apart";
    }
    EXPECT_EQ(FindGameFile(dir.Path(), "VK.CFG").filename(), "VK.CFG");
    EXPECT_EQ(FindGameFile(dir.Path(), "vk.cfg").filename(), "vk.cfg");
}

} // namespace
} // namespace marloven
