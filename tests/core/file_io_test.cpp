// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/file_io.h"

#include "core/cfg_store.h"
#include "core/errors.h"
#include "tests/support/game_dir.h"
#include "tests/support/write_failure.h"

#include <fstream>
#include <gtest/gtest.h>

namespace marloven {
namespace {

namespace fs = std::filesystem;
using test::GameDir;

constexpr fs::perms kReadOnly = fs::perms::owner_read | fs::perms::group_read;

// Windows has a read-only mark only, and links that need rights of their own.
bool HasPosixFileModes() {
    return fs::path::preferred_separator == '/';
}

std::size_t FileCount(const GameDir& dir) {
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()));
}

// A rename over the file would go through whatever its permissions say, so a file the
// player made read-only must be refused before any rename is tried. The check must
// not lean on the system refusing the open, since the tests may run as root.
TEST(AtomicWrite, RefusesAReadOnlyFileAndLeavesItAndNoTemporaryBehind) {
    GameDir dir({{"VK.CFG", "PlayerName = \"Kept\"\r\n"}});
    fs::permissions(dir / "VK.CFG", kReadOnly);
    EXPECT_EQ(WriteFileAtomically(dir / "VK.CFG", "replaced"),
              std::make_error_code(std::errc::permission_denied));
    EXPECT_EQ(dir.Read("VK.CFG"), "PlayerName = \"Kept\"\r\n");
    EXPECT_EQ(fs::status(dir / "VK.CFG").permissions() & fs::perms::owner_write, fs::perms::none);
    EXPECT_EQ(FileCount(dir), 1u);
}

TEST(AtomicWrite, AReadOnlyConfigurationIsNotSavedAndTheStoreSaysSo) {
    GameDir dir({{"VK.CFG", "PlayerName = \"Kept\"\r\n"}});
    CfgStore store(dir.Path());
    store.CfgLoad();
    store.CfgSet("PlayerName", "Lost", true);
    fs::permissions(dir / "VK.CFG", kReadOnly);
    EXPECT_THROW(store.CfgSave(), FileError);
    EXPECT_EQ(dir.Read("VK.CFG"), "PlayerName = \"Kept\"\r\n");
    EXPECT_EQ(DescribeWriteError(std::make_error_code(std::errc::permission_denied)),
              "File access denied");
}

// Saving VK.CFG in a folder that takes no new file (so no temporary file) but lets
// the file itself be changed: the file is rewritten in place. A new file is still
// refused, so is a read-only one, and a full disk never cuts the old file short.
TEST(AtomicWrite, AFolderThatRefusesNewFilesHasItsWritableFilesRewrittenInPlace) {
    GameDir dir({{"VK.CFG", "PlayerName = \"A long old name\"\r\nNetColor = 3\r\n"}});
    CfgStore store(dir.Path());
    store.CfgLoad();
    store.CfgSet("PlayerName", "New", true);
    const auto denied = std::make_error_code(std::errc::permission_denied);
    const std::string saved = "PlayerName = \"New\"\r\nNetColor = 3\r\n";
    {
        // Root writes into any folder, so the file layer's switch makes the folder.
        WriteFailureForTesting noNewFiles(denied, WriteFailureForTesting::Scope::NewFiles);
        EXPECT_NO_THROW(store.CfgSave());
        EXPECT_EQ(dir.Read("VK.CFG"), saved);
        EXPECT_EQ(WriteFileAtomically(dir / "COMMIT.DAT", "new"), denied);
        fs::permissions(dir / "VK.CFG", kReadOnly);
        EXPECT_EQ(WriteFileAtomically(dir / "VK.CFG", "read-only"), denied);
        fs::permissions(dir / "VK.CFG", fs::perms::owner_read | fs::perms::owner_write);
    }
    {
        const auto full = std::make_error_code(std::errc::no_space_on_device);
        WriteFailureForTesting diskFull(full, WriteFailureForTesting::Scope::NewFiles);
        EXPECT_EQ(WriteFileAtomically(dir / "VK.CFG", "lost"), full);
    }
    EXPECT_EQ(dir.Read("VK.CFG"), saved);
    EXPECT_EQ(FileCount(dir), 1u);

    // Without root's rights a real folder shows the same.
    fs::permissions(dir.Path(), fs::perms::owner_read | fs::perms::owner_exec);
    if (!std::ofstream(dir / "probe").is_open()) {
        EXPECT_EQ(WriteFileAtomically(dir / "VK.CFG", "in place"), std::error_code());
        EXPECT_EQ(dir.Read("VK.CFG"), "in place");
    }
    fs::permissions(dir.Path(), fs::perms::owner_all);
}

// 0640 is no umask's default, so a new file made without care would show 0644 or 0600.
TEST(AtomicWrite, TheNewFileKeepsTheOldOnesPermissions) {
    if (!HasPosixFileModes()) {
        GTEST_SKIP() << "no file modes here";
    }
    GameDir dir({{"MARLOVEN.PBK", "old"}});
    const auto chosen = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    fs::permissions(dir / "MARLOVEN.PBK", chosen);
    ASSERT_FALSE(WriteFileAtomically(dir / "MARLOVEN.PBK", "new"));
    EXPECT_EQ(dir.Read("MARLOVEN.PBK"), "new");
    EXPECT_EQ(fs::status(dir / "MARLOVEN.PBK").permissions(), chosen);
}

TEST(AtomicWrite, WritesThroughALinkSoThatTheLinkStays) {
    if (!HasPosixFileModes()) {
        GTEST_SKIP() << "links need rights of their own here";
    }
    GameDir dir({{"shared.cfg", "old"}});
    fs::create_symlink("shared.cfg", dir / "VK.CFG");
    ASSERT_FALSE(WriteFileAtomically(dir / "VK.CFG", "new"));
    EXPECT_TRUE(fs::is_symlink(dir / "VK.CFG"));
    EXPECT_EQ(dir.Read("shared.cfg"), "new");
    EXPECT_EQ(FileCount(dir), 2u);
}

// Reading a device named like the file must end: /dev/zero would fill the memory.
TEST(WholeFileRead, GivesNothingForADirectoryOrADevice) {
    GameDir dir;
    fs::create_directory(dir / "MARLOVEN.PBK");
    EXPECT_FALSE(ReadWholeFile(dir / "MARLOVEN.PBK"));
    if (!fs::exists("/dev/zero")) {
        GTEST_SKIP() << "no /dev/zero here";
    }
    fs::create_symlink("/dev/zero", dir / "VK.CFG");
    EXPECT_FALSE(ReadWholeFile(dir / "VK.CFG"));
    CfgStore store(dir.Path());
    EXPECT_THROW(store.CfgLoad(), FileError);
}

} // namespace
} // namespace marloven
