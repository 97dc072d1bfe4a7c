// SPDX-License-Identifier: GPL-3.0-or-later
#include "comm/phonebook.h"

#include "core/errors.h"
#include "tests/support/game_dir.h"
#include "tests/support/phonebook_record.h"
#include "tests/support/write_failure.h"

#include <functional>
#include <gtest/gtest.h>

namespace marloven {
namespace {

using test::GameDir;

constexpr auto Record = test::PhonebookRecord;

std::string MessageOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const FileError& error) {
        return error.what();
    }
    return "no error";
}

TEST(PhonebookFormat, WritesFixedRecordsWithLengthBytesAndZeroPadding) {
    const std::string fiftyChars = "0123456789abcdefghijABCDEFGHIJklmnopqrstKLMNOPQRST";
    const auto bytes = FormatPhonebook({{"Ann", "(555) 123-4567"}, {fiftyChars, ""}});

    ASSERT_EQ(bytes.size(), 2 * 82u);
    EXPECT_EQ(bytes.substr(0, 82), Record("Ann", "(555) 123-4567"));
    // A long name keeps its first 40 bytes and says 40, never 50 (a wrapped byte) or
    // a length that counts bytes the field does not hold.
    EXPECT_EQ(bytes[82], '\x28');
    EXPECT_EQ(bytes.substr(83, 40), fiftyChars.substr(0, 40));
    EXPECT_EQ(bytes.substr(123, 41), std::string(41, '\0'));
}

TEST(PhonebookFormat, ReadsRecordsInOrderAndCountsOnlyTheCharactersTheLengthSays) {
    auto first = Record("Bo", "12");
    first.replace(3, 5, "JUNK!"); // bytes after the counted ones mean nothing
    auto second = Record("", "9");
    auto overlong = Record(std::string(40, 'n'), std::string(40, '7'));
    overlong[0] = static_cast<char>(200); // never read into the number field
    overlong[41] = static_cast<char>(41); // never read into the next record

    const auto entries = ParsePhonebook(first + second + overlong, "MARLOVEN.PBK");

    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0], (PhonebookEntry{"Bo", "12"}));
    EXPECT_EQ(entries[1], (PhonebookEntry{"", "9"}));
    EXPECT_EQ(entries[2], (PhonebookEntry{std::string(40, 'n'), std::string(40, '7')}));
}

TEST(PhonebookFormat, EveryByteValueSurvivesAReadAndAWrite) {
    // Control bytes, zero and bytes above 127 must come back as they were.
    std::string name, number;
    for (int value = 0; value < 40; ++value) {
        name.push_back(static_cast<char>(value * 6 + 1));
        number.push_back(static_cast<char>(255 - value));
    }
    const auto bytes = Record(name, number) + Record(std::string(1, '\0'), "\x80\xff");
    EXPECT_EQ(FormatPhonebook(ParsePhonebook(bytes, "MARLOVEN.PBK")), bytes);
}

TEST(PhonebookFile, NoFileMeansNoEntriesAndTheFirstWriteCreatesOneRecord) {
    GameDir dir;
    EXPECT_TRUE(ReadPhonebook(dir.Path()).empty());
    WritePhonebook(dir.Path(), {{"Cy", "5551234"}});
    EXPECT_EQ(dir.Read("MARLOVEN.PBK"), Record("Cy", "5551234"));
    EXPECT_EQ(ReadPhonebook(dir.Path()), (std::vector<PhonebookEntry>{{"Cy", "5551234"}}));
}

TEST(PhonebookFile, AReadOnlyFileStillLists) {
    GameDir dir({{"MARLOVEN.PBK", Record("Di", "1") + Record("Ed", "2")}});
    std::filesystem::permissions(dir / "MARLOVEN.PBK", std::filesystem::perms::owner_read |
                                                           std::filesystem::perms::group_read);
    EXPECT_EQ(ReadPhonebook(dir.Path()).size(), 2u);
}

TEST(PhonebookFile, AFileCutInsideARecordIsAReadErrorNamingTheFile) {
    GameDir dir({{"MARLOVEN.PBK", Record("Fa", "3") + std::string(81, 'x')}});
    const auto message = MessageOf([&] { ReadPhonebook(dir.Path()); });
    EXPECT_NE(message.find("MARLOVEN.PBK"), std::string::npos) << message;
    EXPECT_NE(message.find("163"), std::string::npos) << message;
}

// A file of millions of entries would take gigabytes to list; it is refused by its
// size, before it is read, and left as it is.
TEST(PhonebookFile, MoreThanAHundredThousandEntriesAreRefusedUnreadAndUntouched) {
    GameDir dir;
    const auto path = dir / "MARLOVEN.PBK";
    dir.Write("MARLOVEN.PBK", "");
    std::filesystem::resize_file(path, kMostPhonebookEntries * 82);
    EXPECT_EQ(ReadPhonebook(dir.Path()).size(), 100000u);

    // Sparse, so the test writes nothing; read whole and listed it took over a gigabyte.
    const std::uintmax_t huge = std::uintmax_t{2'000'000} * 82 + 7;
    std::filesystem::resize_file(path, huge);
    const auto message = MessageOf([&] { ReadPhonebook(dir.Path()); });
    EXPECT_NE(message.find("MARLOVEN.PBK holds 2000000 entries, more than the 100000"),
              std::string::npos)
        << message;
    EXPECT_EQ(std::filesystem::file_size(path), huge);
    const auto tooMany =
        MessageOf([&] { ParsePhonebook(std::string(100001 * 82, '\0'), "P.PBK"); });
    EXPECT_NE(tooMany.find("P.PBK holds 100001 entries"), std::string::npos) << tooMany;
}

TEST(PhonebookFile, APhonebookThatCannotBeReadSaysSo) {
    GameDir dir;
    std::filesystem::create_directory(dir / "MARLOVEN.PBK");
    EXPECT_EQ(MessageOf([&] { ReadPhonebook(dir.Path()); }),
              "Cannot open file " + (dir / "MARLOVEN.PBK").string());
}

TEST(PhonebookFile, AFailedWriteKeepsTheOldFileAndSaysWhy) {
    const auto old = Record("Gus", "4");
    GameDir dir({{"MARLOVEN.PBK", old}});
    WriteFailureForTesting diskFull(std::make_error_code(std::errc::no_space_on_device));
    const auto message = MessageOf([&] { WritePhonebook(dir.Path(), {{"Hal", "5"}}); });
    EXPECT_EQ(message, "Cannot create file " + (dir / "MARLOVEN.PBK").string() + ": Disk full");
    EXPECT_EQ(dir.Read("MARLOVEN.PBK"), old);
}

} // namespace
} // namespace marloven
