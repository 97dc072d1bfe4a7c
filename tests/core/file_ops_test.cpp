// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/file_ops.h"

#include "tests/support/game_dir.h"

#include <gtest/gtest.h>
#include <iterator>

namespace marloven {
namespace {

using test::GameDir;

TEST(FileOps, ADirectoryIsNeverTakenForAFile) {
    GameDir dir({{"VK.EXE", "x"}});
    std::filesystem::create_directory(dir / "SETUP.EXE");
    EXPECT_TRUE(IsExistingFile(dir / "VK.EXE"));
    EXPECT_FALSE(IsExistingFile(dir / "SETUP.EXE"));
    EXPECT_FALSE(IsExistingFile(dir / "COMMIT.EXE"));
    EXPECT_FALSE(DeleteExistingFile(dir / "SETUP.EXE"));
    EXPECT_TRUE(std::filesystem::is_directory(dir / "SETUP.EXE"));
    EXPECT_FALSE(CopyFileReplacing(dir / "SETUP.EXE", dir / "COPY"));
    EXPECT_FALSE(dir.Exists("COPY"));
}

TEST(FileOps, RenameNeverReplacesAndReportsFailure) {
    GameDir dir({{"DEMO1.DMO", "game's own"}, {"MINE.DMO", "mine"}});
    EXPECT_FALSE(RenameWithoutReplacing(dir / "MINE.DMO", dir / "DEMO1.DMO"));
    EXPECT_EQ(dir.Read("DEMO1.DMO"), "game's own");
    EXPECT_EQ(dir.Read("MINE.DMO"), "mine");

    EXPECT_TRUE(RenameWithoutReplacing(dir / "DEMO1.DMO", dir / "DEMO1.$MV"));
    EXPECT_TRUE(RenameWithoutReplacing(dir / "MINE.DMO", dir / "DEMO1.DMO"));
    EXPECT_EQ(dir.Read("DEMO1.DMO"), "mine");
    EXPECT_EQ(dir.Read("DEMO1.$MV"), "game's own");
    EXPECT_FALSE(RenameWithoutReplacing(dir / "GONE.DMO", dir / "OTHER.DMO"));
}

TEST(FileOps, CopyReplacesTheTargetAndDeleteRemovesOnlyFiles) {
    GameDir dir({{"$$MRV$$.DMO", std::string("\0\x01\xff rec", 6)}, {"SAVED.DMO", "old, longer"}});
    EXPECT_TRUE(CopyFileReplacing(dir / "$$MRV$$.DMO", dir / "SAVED.DMO"));
    EXPECT_EQ(dir.Read("SAVED.DMO"), std::string("\0\x01\xff rec", 6));
    EXPECT_FALSE(CopyFileReplacing(dir / "NONE.DMO", dir / "SAVED.DMO"));
    EXPECT_FALSE(CopyFileReplacing(dir / "SAVED.DMO", dir / "no-such-dir" / "X.DMO"));
    // Onto itself (also by another path) the copy would first empty its own source.
    EXPECT_FALSE(CopyFileReplacing(dir / "SAVED.DMO", dir / "." / "SAVED.DMO"));
    EXPECT_EQ(dir.Read("SAVED.DMO"), std::string("\0\x01\xff rec", 6));
    // A file the player made read-only stays as it is.
    dir.Write("KEEP.DMO", "kept");
    std::filesystem::permissions(dir / "KEEP.DMO", std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::remove);
    EXPECT_FALSE(CopyFileReplacing(dir / "SAVED.DMO", dir / "KEEP.DMO"));
    EXPECT_EQ(dir.Read("KEEP.DMO"), "kept");
    // No temporary file is left beside the three.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                            std::filesystem::directory_iterator()),
              3);

    EXPECT_TRUE(DeleteExistingFile(dir / "$$MRV$$.DMO"));
    EXPECT_FALSE(dir.Exists("$$MRV$$.DMO"));
    EXPECT_FALSE(DeleteExistingFile(dir / "$$MRV$$.DMO"));
}

} // namespace
} // namespace marloven
