// SPDX-License-Identifier: GPL-3.0-or-later
#include "comm/reg_file.h"

#include "comm/modem_detect.h"

#include "tests/support/game_dir.h"

#include <gtest/gtest.h>

namespace marloven {
namespace {

using namespace std::string_literals;

std::optional<std::string> Read(const RegistrySource& source, const std::string& path,
                                const std::string& name) {
    const auto key = source.OpenKey(path);
    return key ? key->ReadText(name) : std::nullopt;
}

// Each byte becomes a UTF-16LE unit, after the byte-order mark.
std::string Utf16(const std::string& text) {
    std::string bytes = "\xFF\xFE";
    for (char c : text) {
        bytes += c;
        bytes += '\0';
    }
    return bytes;
}

const std::string kModemKey = "System\\CurrentControlSet\\Services\\Class\\Modem\\0000";

const std::string kExport =
    "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Class\\Modem\\0000]\r\n"
    "\"AttachedTo\"=\"COM2\"\r\n"
    "\"DriverDesc\"=\"Say \\\"Hi\\\" \\\\ Co\"\r\n"
    "@=\"default\"\r\n"
    "\"Flags\"=dword:00000003\r\n"
    "\"Props\"=hex:80,01,00,00,ff,00,00,00,\\\r\n"
    "  \"Trap\"=\"inside a continuation\",\\\r\n"
    "  00,00\r\n"
    "\"Path\"=\"C:\\\\\"\r\n"
    "\"After\"=\"read\"\r\n"
    "\r\n"
    "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Class\\Modem\\0000\\Init]\r\n"
    "\"2\"=\"AT&F<cr>\"\r\n";

TEST(RegFile, ReadsTextValuesOfBothFormats) {
    for (const auto& bytes : {"REGEDIT4\r\n\r\n" + kExport,
                              Utf16("Windows Registry Editor Version 5.00\r\n\r\n" + kExport)}) {
        const auto source = ParseRegFile(bytes);
        EXPECT_EQ(Read(source, kModemKey, "attachedto"), "COM2");
        EXPECT_EQ(Read(source, kModemKey, "DriverDesc"), "Say \"Hi\" \\ Co");
        EXPECT_EQ(Read(source, kModemKey, ""), "default");
        EXPECT_EQ(Read(source, kModemKey, "Flags"), std::nullopt);
        EXPECT_EQ(Read(source, kModemKey, "Trap"), std::nullopt);
        // A text value ending in a backslash continues nothing.
        EXPECT_EQ(Read(source, kModemKey, "Path"), "C:\\");
        EXPECT_EQ(Read(source, kModemKey, "After"), "read");
        EXPECT_EQ(Read(source, kModemKey + "\\INIT\\", "2"), "AT&F<cr>");
    }
}

TEST(RegFile, PassesOverWhatItCannotRead) {
    const auto source = ParseRegFile("REGEDIT4\n"
                                     "; [HKEY_LOCAL_MACHINE\\Commented]\n"
                                     "[HKEY_CURRENT_USER\\Other]\n"
                                     "\"Stray\"=\"not below the machine\"\n"
                                     "[HKEY_LOCAL_MACHINE\\Kept\n"
                                     "\"Unclosed\"=\"no end\n"
                                     "[HKEY_LOCAL_MACHINE\\Kept]\n"
                                     "\"NoEquals\" \"x\"\n"
                                     "  \"Indented\" = \"yes\"  \n"
                                     "\xFF\x00\x01garbage\n"
                                     "\"Unclosed\"=\"no end\n"
                                     "[-HKEY_LOCAL_MACHINE\\Deleted]\n"
                                     "\"Lost\"=\"x\"\n"
                                     "\"Other\"=hex(2):41,\\"s);
    EXPECT_FALSE(source.OpenKey("Commented"));
    EXPECT_FALSE(source.OpenKey("Other"));
    EXPECT_FALSE(source.OpenKey("Deleted"));
    EXPECT_EQ(Read(source, "Kept", "Indented"), "yes");
    EXPECT_EQ(Read(source, "Kept", "Unclosed"), std::nullopt);
    EXPECT_EQ(Read(source, "Kept", "NoEquals"), std::nullopt);
    EXPECT_EQ(Read(source, "Kept", "Lost"), std::nullopt);

    // A UTF-16 file cut in the middle of a character, with one beyond Latin-1.
    const auto cut = ParseRegFile(Utf16("[HKEY_LOCAL_MACHINE\\K]\n\"V\"=\"a") + "\x3A\x04" +
                                  Utf16("\"\n").substr(2) + "x");
    EXPECT_EQ(Read(cut, "K", "V"), "a?");
}

TEST(RegFile, AnExportOfTheNtModemClassGivesItsModemsToDetection) {
    const std::string branch = "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Class\\"
                               "{4D36E96D-E325-11CE-BFC1-08002BE10318}";
    const auto source = ParseRegFile(Utf16("Windows Registry Editor Version 5.00\r\n\r\n" + branch +
                                           "]\r\n\"Class\"=\"Modem\"\r\n\r\n" + branch +
                                           "\\0000]\r\n"
                                           "\"AttachedTo\"=\"COM3\"\r\n"
                                           "\"DriverDesc\"=\"Standard 56000 bps Modem\"\r\n" +
                                           branch +
                                           "\\0000\\Init]\r\n"
                                           "\"1\"=\"AT<cr>\"\r\n"
                                           "\"2\"=\"AT&F E0 V1<cr>\"\r\n" +
                                           branch +
                                           "\\0000\\Settings]\r\n"
                                           "\"FlowControl_Hard\"=\"&K3\"\r\n"));
    const auto rows = ListInstalledModems(source);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].description, "Standard 56000 bps Modem");
    const auto modem = DetectModem(source, &rows[0]);
    ASSERT_TRUE(modem);
    EXPECT_EQ(modem->comPortIndex, 2);
    EXPECT_EQ(modem->suggestedInit, "AT&F E0 V1 &K3");
}

TEST(RegistrySource, ReadsTextsUpTo126BytesAndKnowsParentKeys) {
    MemoryRegistrySource source;
    source.SetText("A\\B\\C\\", "Fits", std::string(126, 'x'));
    source.SetText("A\\B\\C", "TooLong", std::string(127, 'x'));
    EXPECT_EQ(Read(source, "a\\b\\c", "Fits")->size(), 126u);
    EXPECT_EQ(Read(source, "A\\B\\C", "TooLong"), std::nullopt);
    EXPECT_TRUE(source.OpenKey("A\\B"));
    EXPECT_FALSE(source.OpenKey("A\\B\\C\\D"));
}

TEST(RegFile, ComesFromTheOptionElseFromModemsRegInTheGameDirectory) {
    test::GameDir dir;
    EXPECT_EQ(ChooseRegFile("", dir.Path()), std::nullopt);
    EXPECT_FALSE(LoadRegFile(dir / "MODEMS.REG").OpenKey("K"));

    dir.Write("MODEMS.REG", "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\K]\r\n");
    EXPECT_EQ(ChooseRegFile("", dir.Path()), dir / "MODEMS.REG");
    EXPECT_EQ(ChooseRegFile("/elsewhere/x.reg", dir.Path()), "/elsewhere/x.reg");
    EXPECT_TRUE(LoadRegFile(dir / "MODEMS.REG").OpenKey("K"));
}

} // namespace
} // namespace marloven
