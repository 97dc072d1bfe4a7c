// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/file_io.h"

#include "core/cfg_store.h"
#include "core/errors.h"
#include "os/os_file.h"
#include "tests/support/child_process.h"
#include "tests/support/game_dir.h"
#include "tests/support/write_failure.h"

#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>

#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

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

// A rewrite in place that fails half-way (the disk fills, or the flush fails) must not
// leave the file cut short: the old bytes stay, or are put back. The limit on a file's
// size is a real disk that fills at a known place, and needs no root to set up.
TEST(AtomicWrite, AFailedRewriteInPlaceLeavesTheOldFileWhole) {
#ifdef _WIN32
    GTEST_SKIP() << "no limit on a file's size here";
#else
    std::string old;
    for (int line = 0; old.size() < 20000; ++line) {
        old += "Line" + std::to_string(line) + " = \"an old value\"\r\n";
    }
    GameDir dir({{"VK.CFG", old}});
    const std::string longer(40000, 'n');
    const auto denied = std::make_error_code(std::errc::permission_denied);
    WriteFailureForTesting noNewFiles(denied, WriteFailureForTesting::Scope::NewFiles);

    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit full = saved;
    full.rlim_cur = 30000;
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &full), 0);
    const auto error = WriteFileAtomically(dir / "VK.CFG", longer);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    EXPECT_TRUE(error);
    // Compared whole, not printed: a failure would show 20 KB.
    EXPECT_TRUE(dir.Read("VK.CFG") == old) << dir.Read("VK.CFG").size() << " bytes left";

    const auto broken = std::make_error_code(std::errc::io_error);
    WriteFailureForTesting flushFails(broken, WriteFailureForTesting::Scope::Flush);
    EXPECT_EQ(WriteFileAtomically(dir / "VK.CFG", "short"), broken);
    EXPECT_TRUE(dir.Read("VK.CFG") == old) << dir.Read("VK.CFG").size() << " bytes left";
    EXPECT_EQ(FileCount(dir), 1u);
#endif
}

// On a full ext4 disk the reservation itself fails after growing the file with zeros:
// the file must be cut back to what it held. A disk of the test's own, on a loop device.
TEST(AtomicWrite, AReservationThatFailsOnAFullExt4DiskLeavesTheFileAsItWas) {
#ifdef _WIN32
    GTEST_SKIP() << "no loop devices here";
#else
    GameDir dir({{"disk.img", ""}});
    fs::resize_file(dir / "disk.img", 8 << 20);
    fs::create_directory(dir / "disk");
    const std::string quiet = " '" + (dir / "disk.img").string() + "' >/dev/null 2>&1";
    if (geteuid() != 0 || std::system(("mkfs.ext4 -q -F" + quiet).c_str()) != 0 ||
        std::system(("mount -o loop" + quiet + " '" + (dir / "disk").string() + "'").c_str())) {
        GTEST_SKIP() << "needs root, mkfs.ext4 and a loop device";
    }
    const std::shared_ptr<void> unmount(nullptr, [&](void*) {
        std::system(("umount -l '" + (dir / "disk").string() + "'").c_str());
    });
    const std::string old(20000, 'o');
    std::ofstream(dir / "disk/VK.CFG", std::ios::binary) << old;
    {
        std::ofstream filler(dir / "disk/filler", std::ios::binary);
        while (filler << std::string(4096, 'f') && filler.flush()) {
        }
    }
    fs::resize_file(dir / "disk/filler", fs::file_size(dir / "disk/filler") - (32 << 10));
    WriteFailureForTesting noNewFiles(std::make_error_code(std::errc::permission_denied),
                                      WriteFailureForTesting::Scope::NewFiles);
    EXPECT_EQ(WriteFileAtomically(dir / "disk/VK.CFG", std::string(256 << 10, 'n')),
              std::make_error_code(std::errc::no_space_on_device));
    const auto left = ReadWholeFile(dir / "disk/VK.CFG").value_or("");
    EXPECT_TRUE(left == old) << left.size() << " bytes left of " << old.size();
#endif
}

// A network share or a failing disk may take the writes and report the loss only when
// asked to keep them; renamed unflushed, the file could be left empty by a power cut.
TEST(AtomicWrite, AFlushThatFailsKeepsTheOldFileAndIsReported) {
    GameDir dir({{"MARLOVEN.PBK", "old"}});
    const auto broken = std::make_error_code(std::errc::io_error);
    WriteFailureForTesting flushFails(broken, WriteFailureForTesting::Scope::Flush);
    EXPECT_EQ(WriteFileAtomically(dir / "MARLOVEN.PBK", "new"), broken);
    EXPECT_EQ(dir.Read("MARLOVEN.PBK"), "old");
    EXPECT_EQ(FileCount(dir), 1u);
}

#ifndef _WIN32
// Saves the content `rounds` times in a process of its own; its exit code counts the
// saves that failed.
pid_t SaveInChild(const fs::path& path, const std::string& content, int rounds) {
    const pid_t child = fork();
    if (child == 0) {
        int failed = 0;
        for (int round = 0; round < rounds; ++round) {
            failed += WriteFileAtomically(path, content) ? 1 : 0;
        }
        _exit(failed > 100 ? 100 : failed);
    }
    return child;
}

#endif

// Two launchers saving the same file at once: each save succeeds, and the file holds
// one of the two contents whole.
TEST(AtomicWrite, TwoProcessesSavingAtOnceNeverShareATemporaryFile) {
#ifdef _WIN32
    GTEST_SKIP() << "no fork here";
#else
    GameDir dir({{"VK.CFG", "old"}});
    const std::string first(2 << 20, '1');
    const std::string second(2 << 20, '2');
    const pid_t one = SaveInChild(dir / "VK.CFG", first, 25);
    const pid_t two = SaveInChild(dir / "VK.CFG", second, 25);
    EXPECT_EQ(test::ExitCodeOf(one), 0);
    EXPECT_EQ(test::ExitCodeOf(two), 0);
    const auto saved = dir.Read("VK.CFG");
    EXPECT_TRUE(saved == first || saved == second) << saved.size() << " bytes";
    EXPECT_EQ(FileCount(dir), 1u);
#endif
}

// Root saving a player's VK.CFG must leave it the player's, or the player can no
// longer save it.
TEST(AtomicWrite, ASaveByRootLeavesTheFileItsOwnersAndGroups) {
#ifdef _WIN32
    GTEST_SKIP() << "no owners by number here";
#else
    if (geteuid() != 0) {
        GTEST_SKIP() << "only root can give a file to another user";
    }
    GameDir dir({{"VK.CFG", "old"}});
    ASSERT_EQ(chown((dir / "VK.CFG").c_str(), 4321, 4322), 0);
    ASSERT_FALSE(WriteFileAtomically(dir / "VK.CFG", "new"));
    struct stat after {};
    ASSERT_EQ(stat((dir / "VK.CFG").c_str(), &after), 0);
    EXPECT_EQ(after.st_uid, 4321u);
    EXPECT_EQ(after.st_gid, 4322u);
    EXPECT_EQ(dir.Read("VK.CFG"), "new");
#endif
}

// A launcher killed in the middle of a save leaves its temporary file; the next start
// removes it, but never one that a running launcher is writing, nor a file of the
// player's.
TEST(AtomicWrite, LeftoversOfAnEndedLauncherAreRemovedAndNothingElse) {
    const std::string running = std::to_string(CurrentProcessId());
    GameDir dir({{"VK.CFG", "cfg"},
                 {"VK.CFG.~2147483600-0a1b2c3d.tmp", "left by an ended launcher"},
                 {"COMMIT.DAT.~" + running + "-0a1b2c3d.tmp", "being written"},
                 {"VK.CFG.~3.tmp", "left by an earlier version"},
                 {"VK.CFG.~4.tmp", "being written by an earlier version"},
                 {"notes.~1-zz.tmp", "the player's"},
                 {"MAP.~5-0a1b2c3d.txt", "the player's"}});
    fs::last_write_time(dir / "VK.CFG.~3.tmp",
                        fs::file_time_type::clock::now() - std::chrono::hours(1));
    EXPECT_EQ(RemoveLeftoverTemporaries(dir.Path()), 2u);
    EXPECT_FALSE(dir.Exists("VK.CFG.~2147483600-0a1b2c3d.tmp"));
    EXPECT_FALSE(dir.Exists("VK.CFG.~3.tmp"));
    EXPECT_EQ(FileCount(dir), 5u);
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
