// SPDX-License-Identifier: GPL-3.0-or-later
// The four comm-driver starts end to end: the launcher writes COMMIT.DAT and starts our
// stand-in COMMIT.EXE through the system's runner; the stand-in logs the file and the
// switches it saw and starts the game its LAUNCHNAME names.

#include "tests/ui/launcher_fixture.h"

#include "launcher/game_runner.h"
#include "tests/support/phonebook_record.h"
#include "tests/support/write_failure.h"
#include "tests/ui/dialog_driver.h"
#include "ui/dialogs/pick_opponent_dialog.h"
#include "ui/dialogs/players_dialog.h"
#include "ui/main/game_options_page.h"

#include <QCheckBox>
#include <QPushButton>
#include <QTreeWidget>
#include <functional>
#include <gtest/gtest.h>
#include <set>

namespace marloven::test {
namespace {

std::set<std::string> FileNames(const GameDir& dir) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

class DriverStart : public testing::Test {
  protected:
    DriverStart()
        : runner_(std::make_unique<DirectGameRunner>(MakeSystemProgramRunner())),
          launcher({{"VK.CFG", "DialOutString = \"ATDT\"\r\nTicDup = 8\r\n"},
                    {"MARLOVEN.PBK", PhonebookRecord("Ann", "555-1234")}},
                   nullptr, runner_.get()) {
        for (const char* program : {"COMMIT.EXE", "VK.EXE"}) {
            std::filesystem::copy_file(STANDIN_PATH, launcher.dir / program);
        }
        EXPECT_TRUE(main.LoadSettings());
    }
    ~DriverStart() override { main.hide(); }

    // The stand-in's log of one start, which the next start begins afresh.
    std::string Start(const std::function<void()>& start) {
        std::filesystem::remove(launcher.dir / "standin.log");
        start();
        return launcher.dir.Read("standin.log");
    }
    std::string Dial() {
        PickOpponentDialog& phonebook = *launcher.forms->pickOpponent;
        WhenOpened(phonebook, [&phonebook] {
            phonebook.phoneList->setCurrentItem(phonebook.phoneList->topLevelItem(0));
            phonebook.dialButton->click();
        });
        return Start([this] { main.dialButton->click(); });
    }
    std::string Network(int players) {
        PlayersDialog& dialog = *launcher.forms->players;
        WhenOpened(dialog, [&dialog, players] {
            dialog.socketEdit->setText("~");
            dialog.CountButton(players)->click();
        });
        return Start([this] { main.kaliButton->click(); });
    }

    std::unique_ptr<GameRunner> runner_;
    Launcher launcher;
    MainWindow& main = launcher.Window();
};

bool Has(const std::string& log, const std::string& part) {
    return log.find(part) != std::string::npos;
}

TEST_F(DriverStart, TheDriverSeesTheFileAndTheSwitchesAndStartsTheGameItNames) {
    // "Ticdup 8" is the list's fourth item: the driver gets -f3, except for a dial.
    const std::string answer = Start([this] { main.answerButton->click(); });
    EXPECT_EQ(answer.rfind("start COMMIT.EXE\narg -nopred\narg -f3\ndir ", 0), 0u) << answer;
    EXPECT_TRUE(Has(answer, "file COMMIT.DAT\n| [Commit]\n")) << answer;
    EXPECT_TRUE(Has(answer, "| CONNECTTYPE = 1\n")) << answer;
    EXPECT_TRUE(Has(answer, "starts VK.EXE -nopred -f3\nend\nstart VK.EXE\narg -nopred\narg -f3\n"))
        << answer;

    const std::string already = Start([this] { main.alreadyConnectedButton->click(); });
    EXPECT_EQ(already.rfind("start COMMIT.EXE\narg -nopred\narg -f3\ndir ", 0), 0u) << already;
    EXPECT_TRUE(Has(already, "| CONNECTTYPE = 2\n")) << already;
    EXPECT_TRUE(Has(already, "\nstart VK.EXE\n")) << already;

    const std::string network = Network(3);
    EXPECT_EQ(network.rfind("start COMMIT.EXE\narg -nopred\narg -f3\ndir ", 0), 0u) << network;
    EXPECT_TRUE(Has(network, "| COMMTYPE = 3\n| NUMPLAYERS = 3\n")) << network;
    EXPECT_TRUE(Has(network, "| SOCKETNUMBER = 34889\n")) << network;
    EXPECT_TRUE(Has(network, "\nstart VK.EXE\n")) << network;

    const std::string dial = Dial();
    EXPECT_EQ(dial.rfind("start COMMIT.EXE\narg -nopred\ndir ", 0), 0u) << dial;
    EXPECT_TRUE(Has(dial, "| PHONENUMBER = \"ATDT555-1234\"\n")) << dial;
    EXPECT_TRUE(Has(dial, "| CONNECTTYPE = 0\n")) << dial;
    EXPECT_TRUE(Has(dial, "starts VK.EXE -nopred\nend\nstart VK.EXE\narg -nopred\ndir ")) << dial;

    // Every start replaced the file in place: no temporary file is left beside it.
    EXPECT_EQ(FileNames(launcher.dir),
              (std::set<std::string>{"COMMIT.DAT", "COMMIT.EXE", "MARLOVEN.PBK", "VK.CFG", "VK.EXE",
                                     "standin.log"}));
    EXPECT_TRUE(launcher.prompter.errors.isEmpty());
    EXPECT_TRUE(main.isVisible());
}

TEST_F(DriverStart, WithTheMouseTweakTheHelperStartsTheDriverAndTheDriverTheGame) {
    std::filesystem::copy_file(STANDIN_PATH, launcher.dir / "VKSETMS.EXE");
    main.gameOptionsPage->tweakMouseCheck->click();
    const std::string log = Start([this] { main.answerButton->click(); });
    EXPECT_EQ(log.rfind("start VKSETMS.EXE\n", 0), 0u) << log;
    EXPECT_TRUE(Has(log, "\nstart COMMIT.EXE\narg -nopred\narg -f3\n")) << log;
    EXPECT_TRUE(Has(log, "| CONNECTTYPE = 1\n")) << log;
    EXPECT_TRUE(Has(log, "\nstart VK.EXE\narg -nopred\narg -f3\n")) << log;
}

TEST_F(DriverStart, AFailedWriteStartsNoDriverAndLeavesTheOldFileWhole) {
    const std::string old = "; kept by hand\r\nLAUNCHNAME = \"VK.EXE\"\r\nNUMPLAYERS = 8\r\n";
    launcher.dir.Write("COMMIT.DAT", old);
    const auto before = FileNames(launcher.dir);
    std::string log;
    {
        WriteFailureForTesting diskFull(std::make_error_code(std::errc::no_space_on_device));
        log = Network(4);
    }
    EXPECT_EQ(log, "");
    EXPECT_EQ(launcher.dir.Read("COMMIT.DAT"), old);
    EXPECT_EQ(FileNames(launcher.dir), before);
    EXPECT_EQ(launcher.prompter.errors.size(), 1);

    // Without a file, a failure leaves none behind, not even a part of the default.
    std::filesystem::remove(launcher.dir / "COMMIT.DAT");
    {
        WriteFailureForTesting diskFull(std::make_error_code(std::errc::no_space_on_device));
        log = Dial();
    }
    EXPECT_EQ(log, "");
    EXPECT_FALSE(launcher.dir.Exists("COMMIT.DAT"));
    EXPECT_EQ(launcher.prompter.errors.size(), 2);
    EXPECT_TRUE(main.isVisible());
}

} // namespace
} // namespace marloven::test
