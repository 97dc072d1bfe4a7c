// SPDX-License-Identifier: GPL-3.0-or-later
#include "comm/commit_file.h"
#include "core/text.h"

#include "core/errors.h"
#include "tests/support/game_dir.h"
#include "tests/support/write_failure.h"

#include <functional>

#include <gtest/gtest.h>

namespace marloven {
namespace {

using test::GameDir;

CommitSettings FourPlayers() {
    CommitSettings settings;
    settings.mode = LaunchMode::Network;
    settings.value = "4";
    settings.socket = "~";
    return settings;
}

std::size_t FileCount(const GameDir& dir) {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
        ++count;
    }
    return count;
}

std::string ErrorText(const std::function<void()>& action) {
    try {
        action();
    } catch (const FileError& error) {
        return error.what();
    }
    return "no error";
}

TEST(CommitFile, CreatesTheDefaultFileWhenMissingAndRewritesAnExistingOne) {
    GameDir dir;
    ComposeCommitFile(dir.Path(), FourPlayers());
    auto lines = SplitLines(dir.Read("COMMIT.DAT")).lines;
    ASSERT_EQ(lines.size(), 41u);
    EXPECT_EQ(lines[26], "NUMPLAYERS = 4");

    dir.Write("COMMIT.DAT", "; mine\nNUMPLAYERS=8\n");
    ComposeCommitFile(dir.Path(), FourPlayers());
    EXPECT_EQ(dir.Read("COMMIT.DAT"),
              "; mine\r\nNUMPLAYERS = 4\r\nCOMMTYPE = 3\r\nSOCKETNUMBER = 34889\r\n");
    EXPECT_EQ(FileCount(dir), 1u);

    // The driver takes no control byte inside a value: a pasted tab or DEL is a blank.
    CommitSettings typed = FourPlayers();
    typed.socket = "34\t889\x7f";
    ComposeCommitFile(dir.Path(), typed);
    EXPECT_EQ(SplitLines(dir.Read("COMMIT.DAT")).lines[3], "SOCKETNUMBER = 34 889 ");
}

TEST(CommitFile, AFailedDefaultWriteLeavesNoHalfFile) {
    GameDir dir;
    WriteFailureForTesting full(std::make_error_code(std::errc::no_space_on_device));
    EXPECT_EQ(ErrorText([&] { ComposeCommitFile(dir.Path(), FourPlayers()); }), "Disk full");
    EXPECT_EQ(FileCount(dir), 0u);
}

TEST(CommitFile, AFailedRewriteKeepsTheOldFileWhole) {
    GameDir dir({{"COMMIT.DAT", "NUMPLAYERS = 8\r\n"}});
    WriteFailureForTesting full(std::make_error_code(std::errc::no_space_on_device));
    EXPECT_EQ(ErrorText([&] { ComposeCommitFile(dir.Path(), FourPlayers()); }),
              "Cannot create file " + (dir / "COMMIT.DAT").string());
    EXPECT_EQ(dir.Read("COMMIT.DAT"), "NUMPLAYERS = 8\r\n");
    EXPECT_EQ(FileCount(dir), 1u);
}

// The player may protect a hand-made driver file; a rename would replace it anyway.
TEST(CommitFile, AReadOnlyFileIsNotRewritten) {
    GameDir dir({{"COMMIT.DAT", "NUMPLAYERS = 8\r\n"}});
    std::filesystem::permissions(dir / "COMMIT.DAT", std::filesystem::perms::owner_read);
    EXPECT_EQ(ErrorText([&] { ComposeCommitFile(dir.Path(), FourPlayers()); }),
              "Cannot create file " + (dir / "COMMIT.DAT").string());
    EXPECT_EQ(dir.Read("COMMIT.DAT"), "NUMPLAYERS = 8\r\n");
    EXPECT_EQ(FileCount(dir), 1u);
}

TEST(CommitFile, AnUnreadableFileStopsTheStart) {
    GameDir dir;
    std::filesystem::create_directory(dir / "COMMIT.DAT");
    EXPECT_EQ(ErrorText([&] { ComposeCommitFile(dir.Path(), FourPlayers()); }),
              "Cannot open file " + (dir / "COMMIT.DAT").string());
}

// A driver file over 16 MB is no driver file: the start stops unread, the file stays.
TEST(CommitFile, AFileOverSixteenMegabytesStopsTheStartUnread) {
    GameDir dir({{"COMMIT.DAT", "NUMPLAYERS = 8\r\n"}});
    std::filesystem::resize_file(dir / "COMMIT.DAT", (std::uintmax_t{16} << 20) + 1);
    EXPECT_NE(ErrorText([&] {
                  ComposeCommitFile(dir.Path(), FourPlayers());
              }).find("holds 16777217 bytes, more than the 16 MB"),
              std::string::npos);
    EXPECT_EQ(std::filesystem::file_size(dir / "COMMIT.DAT"), (std::uintmax_t{16} << 20) + 1);
}

} // namespace
} // namespace marloven
