// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/ui/launcher_fixture.h"

#include "comm/commit_data.h"
#include "core/text.h"
#include "tests/support/phonebook_record.h"
#include "tests/support/write_failure.h"
#include "tests/ui/dialog_driver.h"
#include "ui/dialogs/phonebook_entry_dialog.h"
#include "ui/dialogs/pick_opponent_dialog.h"
#include "ui/dialogs/players_dialog.h"
#include "ui/main/game_options_page.h"
#include "ui/main/modem_page.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>
#include <gtest/gtest.h>
#include <tuple>

namespace marloven::test {
namespace {

// Values that differ from the default file's and from the main window's first texts,
// so a key written from the wrong control or left alone shows.
const char* const kModemConfig = "PlayerName = \"Tam\"\r\n"
                                 "ComPort = 9\r\n"
                                 "UartAddress = 2E8\r\n"
                                 "IrqNumber = 5\r\n"
                                 "PortSpeed = 19200\r\n"
                                 "ToneDial = 0\r\n"
                                 "InitString = \"AT&F&C1\"\r\n"
                                 "HangupString = \"+++ATH\"\r\n"
                                 "DialOutString = \"ATDT\"\r\n"
                                 "TicDup = 4\r\n"
                                 "SocketNumber = 1234\r\n";

std::vector<std::string> FileLines(const GameDir& dir) {
    return SplitLines(dir.Read("COMMIT.DAT")).lines;
}

bool HasLine(const GameDir& dir, const std::string& line) {
    const auto lines = FileLines(dir);
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

class CommStart : public testing::Test {
  protected:
    explicit CommStart(GameDir::Files files = {{"VK.CFG", kModemConfig}, {"COMMIT.EXE", ""}})
        : launcher(files) {
        EXPECT_TRUE(main.LoadSettings());
        main.gameOptionsPage->noPredictionCheck->setChecked(false);
        // What the driver found when it started, and whether the window was hidden then.
        launcher.runner.whileRunning = [this](const GameStart&) {
            fileWhenStarted = launcher.dir.Read("COMMIT.DAT");
            visibleWhileRunning = main.isVisible();
        };
        main.show();
    }
    ~CommStart() override { main.hide(); }

    // Opens the phonebook with "&Dial" and picks the row, or cancels for -1.
    void DialRow(int row) {
        PickOpponentDialog& phonebook = *launcher.forms->pickOpponent;
        WhenOpened(phonebook, [&phonebook, row] {
            if (row < 0) {
                phonebook.cancelButton->click();
                return;
            }
            phonebook.phoneList->setCurrentItem(phonebook.phoneList->topLevelItem(row));
            phonebook.dialButton->click();
        });
        main.dialButton->click();
    }

    // Clicks the button and answers the players dialog with the socket text and a count,
    // or with Cancel for 0.
    void StartNetwork(QPushButton* button, const QString& socket, int players) {
        PlayersDialog& dialog = *launcher.forms->players;
        WhenOpened(dialog, [&, socket, players] {
            offeredSocket = dialog.socketEdit->text();
            dialog.socketEdit->setText(socket);
            (players == 0 ? dialog.cancelButton : dialog.CountButton(players))->click();
        });
        button->click();
    }

    std::vector<std::string> Arguments() const {
        std::vector<std::string> arguments;
        for (const auto& run : launcher.runner.runs) {
            arguments.push_back(run.arguments);
        }
        return arguments;
    }

    Launcher launcher;
    MainWindow& main = launcher.Window();
    std::string fileWhenStarted;
    bool visibleWhileRunning = true;
    QString offeredSocket;
};

TEST_F(CommStart, AnswerFillsTheDefaultFileInPlaceFromTheModemPage) {
    main.answerButton->click();

    std::vector<std::string> expected = DefaultCommitLines();
    expected[25] = "COMMTYPE = 2";
    expected[26] = "NUMPLAYERS = 2";
    expected[30] = "INITSTRING = \"AT&F&C1\"";
    expected[31] = "HANGUPSTRING = \"+++ATH\"";
    expected[32] = "PHONENUMBER = \"ATDT\"";
    expected[34] = "CONNECTTYPE = 1";
    expected[35] = "USETONE = 0";
    expected[36] = "COMPORT = 9";
    expected[37] = "IRQNUMBER = 5";
    expected[38] = "UARTADDRESS = 2E8";
    expected[39] = "PORTSPEED = 19200";
    EXPECT_EQ(FileLines(launcher.dir), expected);

    ASSERT_EQ(launcher.runner.runs.size(), 1u);
    EXPECT_EQ(launcher.runner.runs[0].program, (launcher.dir / "COMMIT.EXE").string());
    EXPECT_EQ(launcher.runner.runs[0].directory, launcher.dir.Path().string());
    // The driver takes the ticdup list position, 2 for "Ticdup 4".
    EXPECT_EQ(launcher.runner.runs[0].arguments, "-f2");
    EXPECT_EQ(fileWhenStarted, launcher.dir.Read("COMMIT.DAT"));
    EXPECT_TRUE(launcher.prompter.errors.isEmpty());
}

TEST_F(CommStart, AlreadyConnectedIsAModemLinkAndTakesTheControlsAsTheyStandNow) {
    main.modemPage->comPortCombo->setCurrentIndex(-1);
    main.modemPage->toneDialCheck->setChecked(true);
    main.modemPage->dialOutEdit->clear();
    main.gameOptionsPage->noPredictionCheck->setChecked(true);
    main.alreadyConnectedButton->click();

    EXPECT_TRUE(HasLine(launcher.dir, "COMMTYPE = 2"));
    EXPECT_TRUE(HasLine(launcher.dir, "CONNECTTYPE = 2"));
    EXPECT_TRUE(HasLine(launcher.dir, "COMPORT = 0"));
    EXPECT_TRUE(HasLine(launcher.dir, "USETONE = 1"));
    EXPECT_TRUE(HasLine(launcher.dir, "PHONENUMBER = \"\""));
    EXPECT_EQ(Arguments(), std::vector<std::string>{"-nopred -f2"});
}

class DialStart : public CommStart {
  protected:
    DialStart() {
        launcher.dir.Write("MARLOVEN.PBK", PhonebookRecord("Ann", "555-1234") +
                                               PhonebookRecord("Bo", "") +
                                               PhonebookRecord("Cy", "(0) 77"));
    }
};

TEST_F(DialStart, WritesTheDialOutTextFollowedByThePickedNumberAndStartsWithoutTicdup) {
    DialRow(0);
    EXPECT_TRUE(HasLine(launcher.dir, "PHONENUMBER = \"ATDT555-1234\""));
    EXPECT_TRUE(HasLine(launcher.dir, "CONNECTTYPE = 0"));
    EXPECT_TRUE(HasLine(launcher.dir, "NUMPLAYERS = 2"));
    // Dialling never sends the ticdup switch, though the list has one chosen.
    EXPECT_EQ(Arguments(), std::vector<std::string>{""});
    EXPECT_FALSE(visibleWhileRunning);
    EXPECT_TRUE(main.isVisible());
}

TEST_F(DialStart, AnEntryAddedOnTheWayThroughTheLaunchersEntryDialogCanBeDialled) {
    PickOpponentDialog& phonebook = *launcher.forms->pickOpponent;
    PhonebookEntryDialog& entry = *launcher.forms->phonebookEntry;
    WhenOpened(phonebook, [&] {
        WhenOpened(entry, [&entry] {
            entry.nameEdit->setText("Dee");
            entry.numberEdit->setText("(9) 876");
            entry.okButton->click();
        });
        phonebook.phoneList->clearSelection();
        phonebook.addEditButton->click();
        phonebook.phoneList->setCurrentItem(phonebook.phoneList->topLevelItem(3));
        phonebook.dialButton->click();
    });
    main.dialButton->click();
    EXPECT_TRUE(HasLine(launcher.dir, "PHONENUMBER = \"ATDT(9) 876\""));
    EXPECT_EQ(launcher.dir.Read("MARLOVEN.PBK").size(), 4 * 82u);
    EXPECT_EQ(launcher.runner.runs.size(), 1u);
}

// A DOS driver reading text stops at Ctrl-Z, and a C string ends at a NUL: control
// bytes from a crafted phonebook or VK.CFG (tab and DEL too) reach COMMIT.DAT as blanks.
TEST_F(DialStart, ControlBytesOfTheNumberAndTheModemStringsArriveAsBlanks) {
    using namespace std::string_literals;
    launcher.dir.Write("MARLOVEN.PBK", PhonebookRecord("Eve", "55\x00#5\x1a#1\t2\xe9\x7f"s));
    launcher.dir.Write("VK.CFG", "HangupString = \"ATH\x1b+++\x01\"\r\n"
                                 "DialOutString = \"ATDT\x00\"\r\n"s);
    ASSERT_TRUE(main.LoadSettings());
    DialRow(0);
    EXPECT_TRUE(HasLine(launcher.dir, "PHONENUMBER = \"ATDT 55 #5 #1 2\xe9 \""));
    EXPECT_TRUE(HasLine(launcher.dir, "HANGUPSTRING = \"ATH +++ \""));
    EXPECT_EQ(launcher.runner.runs.size(), 1u);
}

TEST_F(DialStart, NoPickOrAnEmptyNumberWritesAndStartsNothing) {
    DialRow(-1);
    DialRow(1);
    EXPECT_FALSE(launcher.dir.Exists("COMMIT.DAT"));
    EXPECT_TRUE(launcher.runner.runs.empty());
    EXPECT_TRUE(main.isVisible());
}

TEST_F(DialStart, APhonebookThatCannotBeReadKeepsTheDialogShut) {
    launcher.dir.Write("MARLOVEN.PBK", PhonebookRecord("Ann", "1") + "cut");
    PickOpponentDialog& phonebook = *launcher.forms->pickOpponent;
    QTimer::singleShot(0, &phonebook, [&phonebook] {
        ADD_FAILURE() << "the phonebook opened";
        phonebook.reject();
    });
    main.dialButton->click();
    ASSERT_EQ(launcher.prompter.errors.size(), 1);
    EXPECT_TRUE(launcher.prompter.errors[0].contains("MARLOVEN.PBK"));
    EXPECT_FALSE(launcher.dir.Exists("COMMIT.DAT"));
    EXPECT_TRUE(launcher.runner.runs.empty());
}

TEST_F(DialStart, AFileThatCannotBeWrittenIsReportedAndTheWindowComesBack) {
    launcher.dir.Write("COMMIT.DAT", "PHONENUMBER = \"old\"\r\n");
    {
        WriteFailureForTesting diskFull(std::make_error_code(std::errc::no_space_on_device));
        DialRow(2);
    }
    EXPECT_EQ(launcher.prompter.errors,
              QStringList{"Cannot create file " +
                          QString::fromStdString((launcher.dir / "COMMIT.DAT").string())});
    EXPECT_EQ(launcher.dir.Read("COMMIT.DAT"), "PHONENUMBER = \"old\"\r\n");
    EXPECT_TRUE(launcher.runner.runs.empty());
    EXPECT_TRUE(main.isVisible());
}

TEST_F(CommStart, NetworkOffersTheStoredSocketAndStoresTheChosenTextBack) {
    StartNetwork(main.networkButton, "~", 4);
    EXPECT_EQ(offeredSocket, "1234");
    EXPECT_EQ(launcher.LineOf("SocketNumber"), "SocketNumber = ~");
    EXPECT_TRUE(HasLine(launcher.dir, "COMMTYPE = 3"));
    EXPECT_TRUE(HasLine(launcher.dir, "NUMPLAYERS = 4"));
    EXPECT_TRUE(HasLine(launcher.dir, "SOCKETNUMBER = 34889"));
    // The modem keys keep the default file's values.
    EXPECT_TRUE(HasLine(launcher.dir, "CONNECTTYPE = 0"));
    EXPECT_TRUE(HasLine(launcher.dir, "INITSTRING = \"ATZ\""));
    EXPECT_EQ(Arguments(), std::vector<std::string>{"-f2"});
    // The next start offers what was stored.
    StartNetwork(main.networkButton, "", 8);
    EXPECT_EQ(offeredSocket, "~");
}

TEST_F(CommStart, OnlyALoneTildeStandsForTheDefaultSocket) {
    const struct {
        QString typed;
        std::string written;
    } cases[] = {{"~", "SOCKETNUMBER = 34889"},
                 {"", "SOCKETNUMBER = "},
                 {"~1", "SOCKETNUMBER = ~1"},
                 {"00017", "SOCKETNUMBER = 00017"}};
    for (const auto& socket : cases) {
        StartNetwork(main.networkButton, socket.typed, 2);
        EXPECT_TRUE(HasLine(launcher.dir, socket.written)) << socket.written;
        EXPECT_EQ(launcher.LineOf("SocketNumber"), "SocketNumber = " + socket.typed.toStdString());
    }
}

TEST_F(CommStart, CancellingThePlayersDialogStoresWritesAndStartsNothing) {
    StartNetwork(main.networkButton, "9", 5);
    const std::string file = launcher.dir.Read("COMMIT.DAT");
    const std::vector<std::string> stored(launcher.store.Lines().begin(),
                                          launcher.store.Lines().end());

    StartNetwork(main.kaliButton, "4321", 0);
    EXPECT_EQ(launcher.dir.Read("COMMIT.DAT"), file);
    EXPECT_EQ(
        std::vector<std::string>(launcher.store.Lines().begin(), launcher.store.Lines().end()),
        stored);
    EXPECT_EQ(launcher.runner.runs.size(), 1u);
}

TEST_F(CommStart, AFileThatCannotBeReadStopsTheNetworkStartButTheSocketStaysStored) {
    std::filesystem::create_directory(launcher.dir / "COMMIT.DAT");
    StartNetwork(main.networkButton, "77", 3);
    EXPECT_EQ(launcher.prompter.errors,
              QStringList{"Cannot open file " +
                          QString::fromStdString((launcher.dir / "COMMIT.DAT").string())});
    EXPECT_EQ(launcher.LineOf("SocketNumber"), "SocketNumber = 77");
    EXPECT_TRUE(launcher.runner.runs.empty());
}

TEST_F(CommStart, AMissingDriverIsReportedAfterTheFileIsWritten) {
    std::filesystem::remove(launcher.dir / "COMMIT.EXE");
    StartNetwork(main.networkButton, "~", 6);
    EXPECT_EQ(launcher.prompter.messages, QStringList{"COMMIT.EXE was not found!"});
    EXPECT_TRUE(HasLine(launcher.dir, "NUMPLAYERS = 6"));
}

TEST(KaliKhan, StartsExactlyWhatNetworkStarts) {
    const auto startWith = [](auto button) {
        Launcher launcher({{"VK.CFG", kModemConfig}, {"COMMIT.EXE", ""}});
        MainWindow& main = launcher.Window();
        EXPECT_TRUE(main.LoadSettings());
        PlayersDialog& dialog = *launcher.forms->players;
        WhenOpened(dialog, [&dialog] {
            dialog.socketEdit->setText("5150");
            dialog.CountButton(7)->click();
        });
        (main.*button)->click();
        main.hide();
        EXPECT_EQ(launcher.runner.runs.size(), 1u);
        return std::tuple(launcher.dir.Read("COMMIT.DAT"), launcher.store.CfgGet("SocketNumber"),
                          launcher.runner.runs.empty() ? "" : launcher.runner.runs[0].arguments);
    };
    const auto network = startWith(&MainWindow::networkButton);
    EXPECT_NE(std::get<0>(network).find("NUMPLAYERS = 7\r\n"), std::string::npos);
    EXPECT_EQ(startWith(&MainWindow::kaliButton), network);
}

} // namespace
} // namespace marloven::test
