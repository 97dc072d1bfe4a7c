// SPDX-License-Identifier: GPL-3.0-or-later
#include "comm/modem_detect.h"
#include "platform/registry_source.h"
#include "qt_text/text_conversions.h"
#include "tests/support/texts.h"
#include "tests/ui/dialog_driver.h"
#include "tests/ui/launcher_fixture.h"
#include "ui/dialogs/select_modem_dialog.h"
#include "ui/main/modem_page.h"

#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <gtest/gtest.h>

namespace marloven::test {
namespace {

// A modem on a user-defined port, so that a detected one must replace the port and
// must leave the port details alone.
constexpr const char* kConfig = "PlayerName = \"Zed\"\r\n"
                                "ComPort = 9\r\n"
                                "IrqNumber = 5\r\n"
                                "UartAddress = 3e8\r\n"
                                "PortSpeed = 19200\r\n"
                                "InitString = \"AT&F1\"\r\n";

const QString kSuggestion =
    "Orvane suggests that you use an init string of ATZ and a port speed of 9600 for best "
    "gameplay.  Although this may work, it may not give you the best possible speed.  We "
    "suggest using the default init for your modem as defined by WIN95 and setting the port "
    "rate to 57600.In most cases, this will produce a better game.  Do you wish to do this?";

const std::string kBranch(kWin95ModemPath);

// Opens the test's registry itself rather than a copy, so that a change made while the
// dialog is open is seen, as with the system's registry.
class SharedRegistry : public RegistrySource {
  public:
    explicit SharedRegistry(const MemoryRegistrySource& registry) : registry_(registry) {}
    std::unique_ptr<RegistryKey> OpenKey(std::string_view path) const override {
        return registry_.OpenKey(path);
    }

  private:
    const MemoryRegistrySource& registry_;
};

class ModemDetection : public testing::Test {
  protected:
    ModemDetection() {
        launcher_.context.openModems = [this] {
            return std::make_unique<SharedRegistry>(registry_);
        };
        launcher_.Window().LoadSettings();
    }

    // A modem with everything detection reads.
    void AddModem(const std::string& number, const std::string& port, const std::string& name,
                  const std::string& init = "AT&F E0<cr>") {
        const auto key = kBranch + number + "\\";
        registry_.SetText(key, "AttachedTo", port);
        registry_.SetText(key, "DriverDesc", name);
        registry_.SetText(key + "Init", "2", init);
        registry_.SetText(key + "Settings", "FlowControl_Hard", "&K3");
    }

    // Clicks "Detect Modem" and acts on the dialog it opens.
    void Detect(const std::function<void(SelectModemDialog&)>& whileOpen) {
        SelectModemDialog& dialog = *launcher_.forms->selectModem;
        OpenWhile(
            dialog, [&] { launcher_.Window().modemPage->detectModemButton->click(); },
            [&] { whileOpen(dialog); });
    }

    static void PickAndConfirm(SelectModemDialog& dialog, int row) {
        dialog.modemList->setCurrentRow(row);
        dialog.okButton->click();
    }

    static QStringList Rows(const SelectModemDialog& dialog) {
        QStringList rows;
        for (int i = 0; i < dialog.modemList->count(); ++i) {
            rows << dialog.modemList->item(i)->text();
        }
        return rows;
    }

    // What the player sees of the modem settings and what the store holds.
    std::vector<std::string> ModemState() const {
        const MainWindow& main = launcher_.Window();
        return {ToBytes(main.modemPage->comPortCombo->currentText()),
                ToBytes(main.modemPage->initEdit->text()),
                ToBytes(main.modemPage->baudRateCombo->currentText()),
                launcher_.store.WrittenForm()};
    }

    // The modem page shows the port, init string and speed, and the store holds them.
    void ExpectModemSettings(const std::string& port, const std::string& init,
                             const std::string& speed) const {
        const MainWindow& main = launcher_.Window();
        EXPECT_EQ(ToBytes(main.modemPage->comPortCombo->currentText()), "COM" + port);
        EXPECT_EQ(ToBytes(main.modemPage->initEdit->text()), init);
        EXPECT_EQ(ToBytes(main.modemPage->baudRateCombo->currentText()), speed);
        EXPECT_EQ(launcher_.LineOf("ComPort"), "ComPort = " + port);
        EXPECT_EQ(launcher_.LineOf("InitString"), "InitString = \"" + init + "\"");
        EXPECT_EQ(launcher_.LineOf("PortSpeed"), "PortSpeed = " + speed);
    }

    MemoryRegistrySource registry_;
    Launcher launcher_{{{"VK.CFG", kConfig}}};
};

TEST_F(ModemDetection, EachDetectionRereadsTheModemsAndCancelChangesNothing) {
    AddModem("0000", "COM2", "Alpha");
    AddModem("0001", "LPT1", "Printer");
    AddModem("0002", "COM3", "Gamma");
    AddModem("0004", "COM4", "Behind the gap");
    const auto before = ModemState();
    Detect([&](SelectModemDialog& dialog) {
        EXPECT_EQ(Rows(dialog), (QStringList{"Alpha", "Gamma"}));
        EXPECT_FALSE(dialog.okButton->isEnabled());
        dialog.modemList->setCurrentRow(1);
        dialog.cancelButton->click();
    });

    AddModem("0003", "COM5", "Delta");
    Detect([&](SelectModemDialog& dialog) {
        EXPECT_EQ(Rows(dialog), (QStringList{"Alpha", "Gamma", "Delta", "Behind the gap"}));
        EXPECT_EQ(dialog.PickedRow(), -1);
        dialog.cancelButton->click();
    });
    EXPECT_EQ(ModemState(), before);
    EXPECT_TRUE(launcher_.prompter.questions.isEmpty());
}

// The list is rebuilt for each detection, but a view keeps its scroll position.
TEST_F(ModemDetection, TheListOpensScrolledToTheTopAfterAnEarlierDetection) {
    for (int n = 0; n < 40; ++n) {
        AddModem(QString("%1").arg(n, 4, 10, QChar('0')).toStdString(), "COM2",
                 "Modem " + std::to_string(n));
    }
    for (int detection = 0; detection < 2; ++detection) {
        Detect([&](SelectModemDialog& dialog) {
            QListWidget* list = dialog.modemList;
            EXPECT_EQ(list->verticalScrollBar()->value(), 0) << detection;
            EXPECT_EQ(list->itemAt(2, 2), list->item(0)) << detection;
            list->setCurrentRow(list->count() - 1);
            list->scrollToBottom();
            ASSERT_GT(list->verticalScrollBar()->value(), 0);
            dialog.cancelButton->click();
        });
    }
}

TEST_F(ModemDetection, YesTakesThePickedModemsOwnInitAndPortAt57600) {
    // The single row stands for 0001, not for the first subkey.
    AddModem("0000", "LPT1", "Printer", "AT&F0");
    AddModem("0001", "COM3", "Modem");
    launcher_.prompter.yesNoAnswers = {true};
    Detect([&](SelectModemDialog& dialog) {
        ASSERT_EQ(Rows(dialog), QStringList{"Modem"});
        PickAndConfirm(dialog, 0);
    });
    EXPECT_EQ(launcher_.prompter.questions, QStringList{kSuggestion});
    EXPECT_EQ(launcher_.prompter.questionIcons, std::vector{QuestionIcon::Information});
    ExpectModemSettings("3", "AT&F E0 &K3", "57600");
}

TEST_F(ModemDetection, NoPutsAtzAt9600ButStillTakesThePortOverUserDefined) {
    AddModem("0000", "COM4", "Modem", "AT&F E0<cr>ATS0=0<cr>");
    launcher_.prompter.yesNoAnswers = {false};
    Detect([&](SelectModemDialog& dialog) { PickAndConfirm(dialog, 0); });
    ExpectModemSettings("4", "ATZ", "9600");
    // The port is set as the program sets it, not as the player's choice of a standard
    // port, which would mark the details "~".
    EXPECT_EQ(launcher_.LineOf("IrqNumber"), "IrqNumber = 5");
    EXPECT_EQ(launcher_.LineOf("UartAddress"), "UartAddress = 3e8");
    EXPECT_TRUE(launcher_.Window().modemPage->uartEdit->isEnabled());
}

TEST_F(ModemDetection, AModemThatCannotBeReadIsReportedAndChangesNothing) {
    AddModem("0000", "COM2", "No flow control");
    registry_.SetText(kBranch + "0000\\Settings", "FlowControl_Hard", std::string(127, 'K'));
    AddModem("0001", "COM3", "Moves away");
    const auto before = ModemState();
    Detect([&](SelectModemDialog& dialog) {
        PickAndConfirm(dialog, 0);
        EXPECT_TRUE(dialog.isVisible());
        // The port changed since the list was read, to one the port list lacks.
        registry_.SetText(kBranch + "0001\\", "AttachedTo", "COM10");
        PickAndConfirm(dialog, 1);
        EXPECT_TRUE(dialog.isVisible());
        dialog.cancelButton->click();
    });
    const QString failed = "Could not Detect modem properly.";
    EXPECT_EQ(launcher_.prompter.messages, (QStringList{failed, failed}));
    EXPECT_TRUE(launcher_.prompter.questions.isEmpty());
    EXPECT_EQ(ModemState(), before);
}

// "Windows Registry Editor Version 5.00" text as regedit writes it: UTF-16LE after a
// byte-order mark.
std::string Utf16(std::string_view latin1) {
    std::string bytes = "\xFF\xFE";
    for (const char c : latin1) {
        bytes += c;
        bytes += '\0';
    }
    return bytes;
}

TEST(ModemDetectionFromAFile, TakesAnExportedModemIntoVkCfg) {
    const std::string key = "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Class\\"
                            "{4D36E96D-E325-11CE-BFC1-08002BE10318}\\0000";
    const std::string exported = "Windows Registry Editor Version 5.00\r\n\r\n" + key +
                                 "]\r\n"
                                 "\"AttachedTo\"=\"COM5\"\r\n"
                                 "\"DriverDesc\"=\"Standard \xe9 56000 bps Modem\"\r\n"
                                 "\"Properties\"=hex:80,01,00,00,ff,00,00,00,\\\r\n"
                                 "  00,00,00,00\r\n"
                                 "; a comment\r\n\r\n" +
                                 key +
                                 "\\Init]\r\n\"1\"=\"AT<cr>\"\r\n\"2\"=\"AT&F E0<cr>\"\r\n\r\n" +
                                 key + "\\Settings]\r\n\"FlowControl_Hard\"=\"&K3\"\r\n";
    Launcher launcher{{{"VK.CFG", "PlayerName = \"Zed\"\nComPort = 2\nPortSpeed = 19200\n"
                                  "InitString = \"AT&F1\"\n"},
                       {"MODEMS.REG", Utf16(exported)}}};
    const auto file = (launcher.dir / "MODEMS.REG").string();
    launcher.context.openModems = [&] {
        return MakeSystemRegistrySource(file, launcher.dir.Path());
    };
    MainWindow& main = launcher.Window();
    main.LoadSettings();
    launcher.prompter.yesNoAnswers = {true, true};
    SelectModemDialog& dialog = *launcher.forms->selectModem;
    OpenWhile(
        dialog, [&] { main.modemPage->detectModemButton->click(); },
        [&] {
            ASSERT_EQ(dialog.modemList->count(), 1);
            EXPECT_EQ(dialog.modemList->item(0)->text(), "Standard é 56000 bps Modem");
            dialog.modemList->setCurrentRow(0);
            emit dialog.modemList->itemDoubleClicked(dialog.modemList->item(0));
        });
    EXPECT_TRUE(main.close());
    EXPECT_EQ(launcher.dir.Read("VK.CFG"), "PlayerName = \"Zed\"\r\nComPort = 5\r\n"
                                           "PortSpeed = 57600\r\n"
                                           "InitString = \"AT&F E0 &K3\"\r\n");
}

// A stray MODEMS.REG of a gigabyte was read whole, the window frozen meanwhile: it is
// refused unread, with a word why, as an oversized VK.CFG is.
TEST(ModemDetectionFromAFile, AnExportTooLargeToBeOneIsRefusedUnread) {
    Launcher launcher;
    launcher.dir.Write("MODEMS.REG", "REGEDIT4\r\n");
    std::filesystem::resize_file(launcher.dir / "MODEMS.REG", std::uintmax_t{1} << 30);
    // Named as --modems names it: Windows reads the game directory's file only then.
    launcher.context.openModems = [&] {
        return MakeSystemRegistrySource((launcher.dir / "MODEMS.REG").string(),
                                        launcher.dir.Path());
    };
    launcher.Window().modemPage->detectModemButton->click();
    ASSERT_EQ(launcher.prompter.errors.size(), 1);
    EXPECT_TRUE(launcher.prompter.errors.front().contains("more than the 16 MB"));
    EXPECT_FALSE(launcher.forms->selectModem->isVisible());
}

TEST(ModemsOption, NamesTheFileFromWhereTheLauncherWasStarted) {
    GameDir here({{"mine.reg", "REGEDIT4\r\n"}});
    GameDir game({{"VK.CFG", "PlayerName = \"Zed\"\r\n"}});
    const auto gamePath = QString::fromStdString(game.Path().string());
    EXPECT_EQ(RunLauncherProgram({"--modems", "mine.reg", "--answers=no", gamePath}, here.Path()),
              0);
    EXPECT_EQ(RunLauncherProgram({"--modems", "mine.reg", "--answers=no", gamePath}, game.Path()),
              2);
    EXPECT_EQ(RunLauncherProgram({"--answers=no", gamePath, "--modems"}, here.Path()), 2);
}

} // namespace
} // namespace marloven::test
