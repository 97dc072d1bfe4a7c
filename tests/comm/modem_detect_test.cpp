// SPDX-License-Identifier: GPL-3.0-or-later
#include "comm/modem_detect.h"

#include "core/cfg_store.h"
#include "tests/support/game_dir.h"
#include "tests/support/texts.h"

#include <gtest/gtest.h>

namespace marloven {
namespace {

const std::string kBranch(kWin95ModemPath);

std::string Subkey(const std::string& number) {
    return kBranch + number + "\\";
}

void AddModem(MemoryRegistrySource& source, const std::string& number,
              const std::string& attachedTo, const std::string& description) {
    source.SetText(Subkey(number), "AttachedTo", attachedTo);
    source.SetText(Subkey(number), "DriverDesc", description);
}

std::vector<std::string> Descriptions(const std::vector<ModemRow>& rows) {
    std::vector<std::string> names;
    for (const auto& row : rows) {
        names.push_back(row.description);
    }
    return names;
}

TEST(ListInstalledModems, EndsAtTheFirstGapInTheNumbering) {
    MemoryRegistrySource source;
    AddModem(source, "0000", "COM1", "First");
    AddModem(source, "0001", "COM2", "Second");
    AddModem(source, "0003", "COM3", "Behind the gap");
    const auto rows = ListInstalledModems(source);
    EXPECT_EQ(Descriptions(rows), (std::vector<std::string>{"First", "Second"}));
    EXPECT_EQ(rows[1].keyPath, Subkey("0001"));
}

TEST(ListInstalledModems, ListsOnlyModemsOnComOneToEight) {
    MemoryRegistrySource source;
    AddModem(source, "0000", "COM2", "On COM2");
    AddModem(source, "0001", "COM9", "On COM9");
    AddModem(source, "0002", "COM10", "On COM10");
    AddModem(source, "0003", "LPT1", "On LPT1");
    AddModem(source, "0004", "com2", "Lower case");
    AddModem(source, "0005", "COM0", "On COM0");
    // Once stopped the whole listing with an error box, hiding every modem.
    AddModem(source, "0006", "COMX", "Odd port");
    source.SetText(Subkey("0007"), "AttachedTo", "COM5"); // no DriverDesc: skipped
    AddModem(source, "0008", "COM8", "After the unreadable one");
    source.SetText(Subkey("0009"), "DriverDesc", "No AttachedTo");
    AddModem(source, "0010", "COM3", "Tenth");
    EXPECT_EQ(Descriptions(ListInstalledModems(source)),
              (std::vector<std::string>{"On COM2", "After the unreadable one", "Tenth"}));
}

TEST(ListInstalledModems, LooksAShortWayPastAMissingFirstSubkey) {
    MemoryRegistrySource source;
    AddModem(source, "0031", "COM1", "Late start");
    AddModem(source, "0032", "COM2", "Next one");
    EXPECT_EQ(Descriptions(ListInstalledModems(source)),
              (std::vector<std::string>{"Late start", "Next one"}));

    MemoryRegistrySource tooFar;
    AddModem(tooFar, "0032", "COM1", "Out of reach");
    EXPECT_TRUE(ListInstalledModems(tooFar).empty());
}

TEST(ListInstalledModems, ReadsTheNtModemClassOnlyWhenTheWin95BranchIsAbsent) {
    MemoryRegistrySource source;
    const std::string ntModem = std::string(kNtModemPath) + "0000\\";
    source.SetText(ntModem, "AttachedTo", "COM4");
    source.SetText(ntModem, "DriverDesc", "NT modem");
    const auto rows = ListInstalledModems(source);
    ASSERT_EQ(Descriptions(rows), std::vector<std::string>{"NT modem"});
    EXPECT_EQ(rows[0].keyPath, ntModem);

    AddModem(source, "0000", "LPT1", "Printer port");
    EXPECT_TRUE(ListInstalledModems(source).empty());
}

MemoryRegistrySource PrinterThenModem() {
    MemoryRegistrySource source;
    AddModem(source, "0000", "LPT1", "Printer port");
    AddModem(source, "0001", "COM3", "Modem");
    source.SetText(Subkey("0001") + "Init", "2", "AT&F E0<cr>");
    source.SetText(Subkey("0001") + "Init", "1", "ATZ<cr>");
    source.SetText(Subkey("0001") + "Settings", "FlowControl_Hard", "&K3");
    return source;
}

TEST(DetectModem, ReadsThePickedRowsSubkey) {
    const auto source = PrinterThenModem();
    const auto rows = ListInstalledModems(source);
    ASSERT_EQ(rows.size(), 1u);
    const auto modem = DetectModem(source, &rows[0]);
    ASSERT_TRUE(modem);
    EXPECT_EQ(modem->comPortIndex, 2);
    EXPECT_EQ(modem->suggestedInit, "AT&F E0 &K3");
}

TEST(DetectModem, FallsBackToInitOneAndRemovesOnlyTheFirstCr) {
    auto source = PrinterThenModem();
    source.SetText(Subkey("0001") + "Init", "2", std::string(127, 'A')); // too long to read
    source.SetText(Subkey("0001") + "Init", "1", "ATZ<cr>ATE0<cr>");
    const ModemRow row{"Modem", Subkey("0001")};
    EXPECT_EQ(DetectModem(source, &row)->suggestedInit, "ATZATE0<cr> &K3");
}

TEST(DetectModem, TakesTheEmptyTextForAMissingSubkeyButFailsOnAMissingValue) {
    MemoryRegistrySource source;
    AddModem(source, "0000", "COM4", "Bare modem");
    const ModemRow row{"Bare modem", Subkey("0000")};
    const auto bare = DetectModem(source, &row);
    ASSERT_TRUE(bare);
    EXPECT_EQ(bare->comPortIndex, 3);
    EXPECT_EQ(bare->suggestedInit, " ");

    source.AddKey(Subkey("0000") + "Settings");
    EXPECT_FALSE(DetectModem(source, &row));
    source.SetText(Subkey("0000") + "Settings", "FlowControl_Hard", "&K3");
    source.AddKey(Subkey("0000") + "Init");
    EXPECT_FALSE(DetectModem(source, &row));
}

TEST(DetectModem, FailsWithoutAPickOrAReadablePort) {
    auto source = PrinterThenModem();
    EXPECT_FALSE(DetectModem(source, nullptr));
    const ModemRow gone{"Gone", Subkey("0002")};
    EXPECT_FALSE(DetectModem(source, &gone));
    // The port changed to one the port list does not hold since the list was read.
    for (const char* port : {"COM9", "COM10", "COMX", "COM"}) {
        source.SetText(Subkey("0001"), "AttachedTo", port);
        const ModemRow row{"Modem", Subkey("0001")};
        EXPECT_FALSE(DetectModem(source, &row)) << port;
    }
}

TEST(ModemChoice, StoresInitQuotedAndSpeedAndPortBare) {
    test::GameDir dir({{"VK.CFG", "ComPort = 9\r\nInitString = \"AT&F1\"\r\n"}});
    CfgStore store(dir.Path());
    store.CfgLoad();
    StoreModemSettings(store, "ATZ", "9600", 3);
    EXPECT_EQ(
        test::Texts(store.Lines()),
        (std::vector<std::string>{"ComPort = 4", "InitString = \"ATZ\"", "PortSpeed = 9600"}));
}

} // namespace
} // namespace marloven
