// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/cfg_store.h"

#include "core/errors.h"
#include "core/file_io.h"
#include "tests/support/game_dir.h"
#include "tests/support/texts.h"
#include "tests/support/write_failure.h"

#include <gtest/gtest.h>

namespace marloven {
namespace {

using test::GameDir;

CfgStore LoadedStore(const GameDir& dir) {
    CfgStore store(dir.Path());
    store.CfgLoad();
    return store;
}

// Whether the store, saved, leaves a file whose last line ends with a break.
bool SavesAFinalBreak(const CfgStore& store) {
    store.CfgSave();
    const std::string saved = ReadWholeFile(store.FilePath()).value_or("");
    return saved.size() >= 2 && saved.compare(saved.size() - 2, 2, "\r\n") == 0;
}

TEST(CfgStoreLookup, FindsAKeyOnTheFirstLineAndRewritesItInPlace) {
    GameDir dir({{"VK.CFG", "PlayerName = \"Ann\"\r\nNetColor = 2\r\n"}});
    auto store = LoadedStore(dir);
    EXPECT_EQ(store.CfgGet("PlayerName"), "Ann");
    store.CfgSet("PlayerName", "Bo", true);
    EXPECT_EQ(store.WrittenForm(), "PlayerName = \"Bo\"\r\nNetColor = 2\r\n");
}

TEST(CfgStoreLookup, ReadsAndRewritesOnlyTheFirstOfTwoLinesWithTheSameKey) {
    GameDir dir({{"VK.CFG", "ComPort = 1\r\ncomport = 2\r\n"}});
    auto store = LoadedStore(dir);
    EXPECT_EQ(store.CfgGet("COMPORT"), "1");
    store.CfgSet("ComPort", "7", false);
    EXPECT_EQ(test::Texts(store.Lines()), (std::vector<std::string>{"ComPort = 7", "comport = 2"}));
}

TEST(CfgStoreLookup, IgnoresBlanksAndCaseInTheKeyPartButNotTabs) {
    GameDir dir({{"VK.CFG", "Player Name  = first\r\n"
                            "player\tname = tabbed\r\n"
                            "PLAYERNAME=third\r\n"}});
    auto store = LoadedStore(dir);
    EXPECT_EQ(store.CfgGet("PlayerName"), "first");
    EXPECT_EQ(store.CfgGet("player\tname"), "tabbed");
    // The requested key is only upper-cased: its own blanks are kept and never match.
    EXPECT_EQ(store.CfgGetDefault("Player Name", "none"), "none");
}

TEST(CfgStoreLookup, CommentsCountOnlyInColumnOneAndHeadersNeverMatch) {
    GameDir dir({{"VK.CFG", ";PlayerName = hidden\r\n"
                            "[PlayerName=x]\r\n"
                            " ;Net Color = 5\r\n"}});
    auto store = LoadedStore(dir);
    // "[PlayerName" is the key part of the header: it compares unequal to PLAYERNAME.
    EXPECT_EQ(store.CfgGetDefault("PlayerName", "Revu"), "Revu");
    EXPECT_EQ(store.CfgGet(";NetColor"), "5");
}

TEST(CfgStoreValue, KeepsEqualsSignsAfterTheFirstAndRemovesOnlyTwoQuotes) {
    GameDir dir({{"VK.CFG", "HangupString = \"ATH0=0\"\r\n"
                            "InitString = AT&F1\r\n"
                            "Odd = a\"b\"c\"\r\n"
                            "DialOutString = \"\"\r\n"
                            "Spaced =   \"  lead\" trail  \r\n"}});
    auto store = LoadedStore(dir);
    EXPECT_EQ(store.CfgGet("HangupString"), "ATH0=0");
    EXPECT_EQ(store.CfgGet("InitString"), "AT&F1");
    EXPECT_EQ(store.CfgGet("Odd"), "abc\"");
    EXPECT_EQ(store.CfgGetDefault("DialOutString", "unused default"), "");
    EXPECT_EQ(store.CfgGet("Spaced"), "  lead trail  ");
}

TEST(CfgStoreSet, ReplacesTheWholeLineInTheCallersFormAndAppendsMissingKeys) {
    GameDir dir({{"VK.CFG", "playername=  \"Old\"  ; a remark\r\nX = 1"}});
    auto store = LoadedStore(dir);
    store.CfgSet("PlayerName", "Revu", true);
    store.CfgSet("InitString", "ATZ", true);
    store.CfgSet("ComPort", "2", false);
    store.CfgSet("Quote", "a\"b", true);
    EXPECT_EQ(test::Texts(store.Lines()),
              (std::vector<std::string>{"PlayerName = \"Revu\"", "X = 1", "InitString = \"ATZ\"",
                                        "ComPort = 2", "Quote = \"a\"b\""}));
    // The file ended without a break and appending keeps it so.
    EXPECT_FALSE(SavesAFinalBreak(store));
}

TEST(CfgStoreLoadRule, DropsOneLastLineWithoutEqualsSign) {
    struct Case {
        const char* file;
        std::vector<std::string> lines;
        bool endsWithBreak;
    };
    const Case cases[] = {
        {"A = 1\r\n[Section]\r\n", {"A = 1"}, true},
        {"A = 1\r\n[Section]", {"A = 1"}, true},
        {"A = 1\r\nx", {"A = 1"}, true},
        {"x", {}, false},
        // Only one line goes, even when the one before has no "=" either.
        {"A = 1\r\n[One]\r\n[Two]\r\n", {"A = 1", "[One]"}, true},
        {"A = 1\r\nB=", {"A = 1", "B="}, false},
        {"A = 1\r\n=", {"A = 1", "="}, false},
        // An empty last line stays.
        {"A = 1\r\n\r\n", {"A = 1", ""}, true},
    };
    for (const auto& c : cases) {
        GameDir dir({{"VK.CFG", c.file}});
        auto store = LoadedStore(dir);
        EXPECT_EQ(test::Texts(store.Lines()), c.lines) << c.file;
        EXPECT_EQ(SavesAFinalBreak(store), c.endsWithBreak) << c.file;
    }
}

TEST(CfgStoreFile, AnEmptyFileGivesDefaultsAndAppendedLinesEndWithABreak) {
    GameDir dir({{"VK.CFG", ""}});
    auto store = LoadedStore(dir);
    EXPECT_EQ(store.CfgGetDefault("PortSpeed", "57600"), "57600");
    store.CfgSet("PortSpeed", "9600", false);
    store.CfgSave();
    EXPECT_EQ(dir.Read("VK.CFG"), "PortSpeed = 9600\r\n");
}

TEST(CfgStoreFile, WritesLfAndCrOnlyFilesBackWithCrLf) {
    GameDir dir({{"VK.CFG", "A = 1\nB = 2\rC = 3\r\r\nD = 4"}});
    LoadedStore(dir).CfgSave();
    EXPECT_EQ(dir.Read("VK.CFG"), "A = 1\r\nB = 2\r\nC = 3\r\n\r\nD = 4");
}

TEST(CfgStoreFile, WritesUntouchedLinesBackByteForByte) {
    // NUL, bytes above 127 and a tab must all survive a load and save.
    const std::string odd = std::string("Name = \"J\xF6rg\x00\xFF\"\t", 15);
    GameDir dir({{"VK.CFG", odd + "\r\nPlayerName = x\r\n"}});
    auto store = LoadedStore(dir);
    store.CfgSet("PlayerName", "\xE9t\xE9", true);
    store.CfgSave();
    EXPECT_EQ(dir.Read("VK.CFG"), odd + "\r\nPlayerName = \"\xE9t\xE9\"\r\n");

    // A line set between untouched ones, in a file without a final break.
    GameDir middle({{"VK.CFG", "; top\r\nA = 1\r\nB = 2\r\nC = 3\r\nD = 4"}});
    store = LoadedStore(middle);
    store.CfgSet("B", "22", false);
    store.CfgSave();
    EXPECT_EQ(middle.Read("VK.CFG"), "; top\r\nA = 1\r\nB = 22\r\nC = 3\r\nD = 4");
}

TEST(CfgStoreFailure, AMissingFileRaisesCannotOpenAndKeepsTheLines) {
    GameDir dir({{"VK.CFG", "A = 1\r\n"}});
    auto store = LoadedStore(dir);
    std::filesystem::remove(dir / "VK.CFG");
    try {
        store.CfgLoad();
        FAIL() << "no failure raised";
    } catch (const FileError& error) {
        EXPECT_EQ(std::string(error.what()), "Cannot open file " + (dir / "VK.CFG").string());
    }
    EXPECT_EQ(store.CfgGet("A"), "1");
}

TEST(CfgStoreFailure, AFailedSaveLeavesTheOldFileAndTheStoreWhole) {
    GameDir dir({{"VK.CFG", "A = 1\r\n"}});
    auto store = LoadedStore(dir);
    store.CfgSet("A", "2", false);
    {
        WriteFailureForTesting full(std::make_error_code(std::errc::no_space_on_device));
        EXPECT_THROW(store.CfgSave(), FileError);
    }
    EXPECT_EQ(dir.Read("VK.CFG"), "A = 1\r\n");
    EXPECT_EQ(store.CfgGet("A"), "2");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                            std::filesystem::directory_iterator()),
              1)
        << "a temporary file was left behind";
}

TEST(CfgStoreFailure, AFileThatCouldNotBeReadIsNeverReplaced) {
    // An unreadable VK.CFG at start-up leaves the store empty; saving that over the
    // file would throw away every setting in it.
    GameDir dir({{"VK.CFG", "PlayerName = \"Ann\"\r\n"}});
    CfgStore store(dir.Path());
    store.CfgSet("NetColor", "3", false);
    EXPECT_THROW(store.CfgSave(), FileError);
    EXPECT_EQ(dir.Read("VK.CFG"), "PlayerName = \"Ann\"\r\n");
}

// A stray VK.CFG of gigabytes (here sparse, so it costs no disk) would be read whole
// before the window showed; it is refused unread, and the store keeps its lines.
TEST(CfgStoreFailure, AFileOverSixteenMegabytesIsRefusedUnread) {
    GameDir dir({{"VK.CFG", "A = 1\r\n"}});
    auto store = LoadedStore(dir);
    std::filesystem::resize_file(dir / "VK.CFG", (std::uintmax_t{16} << 20) + 1);
    try {
        store.CfgLoad();
        FAIL() << "no failure raised";
    } catch (const FileError& error) {
        EXPECT_EQ(std::string(error.what()),
                  (dir / "VK.CFG").string() +
                      " holds 16777217 bytes, more than the 16 MB a game's text file can hold. "
                      "The file was left as it is; move it aside or shorten it.");
    }
    EXPECT_EQ(store.CfgGet("A"), "1");
    EXPECT_EQ(std::filesystem::file_size(dir / "VK.CFG"), (std::uintmax_t{16} << 20) + 1);
}

TEST(CfgStoreFailure, SavingWhereTheFileIsADirectoryRaisesCannotCreate) {
    GameDir dir;
    std::filesystem::create_directories(dir / "VK.CFG" / "inside");
    CfgStore store(dir.Path());
    store.CfgSet("A", "1", false);
    EXPECT_THROW(store.CfgSave(), FileError);
    EXPECT_THROW(store.CfgLoad(), FileError);
    EXPECT_EQ(store.Lines().size(), 1u);
}

} // namespace
} // namespace marloven
