// SPDX-License-Identifier: GPL-3.0-or-later
#include "comm/commit_file.h"
#include "core/cfg_store.h"
#include "launcher/game_runner.h"
#include "qt_text/text_conversions.h"
#include "tests/support/game_dir.h"
#include "tests/support/qt_scripted_prompter.h"
#include "tests/support/recording_sound_player.h"
#include "tests/support/scratch_settings.h"
#include "tests/support/write_failure.h"
#include "ui/app_context.h"
#include "ui/main/demo_browser.h"
#include "ui/main/demo_page.h"
#include "ui/main/game_options_page.h"
#include "ui/main/main_window.h"
#include "ui/startup.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <gtest/gtest.h>

namespace marloven::test {
namespace {

namespace fs = std::filesystem;

// A whole launcher over a game directory where the stand-in lies under the names of
// the game's programs, started by the system's own runner.
class DemoLauncher : public ::testing::Test {
  protected:
    DemoLauncher()
        : store_(dir_.Path()),
          runner_(std::make_unique<DirectGameRunner>(MakeSystemProgramRunner())),
          context_{dir_.Path(), store_, prompter_, *runner_, sound_, settings_} {
        QApplication::setQuitOnLastWindowClosed(false);
        for (const char* name : {"VK.EXE", "COMMIT.EXE", "VKSETMS.EXE"}) {
            fs::copy_file(STANDIN_PATH, dir_ / name);
        }
        forms_ = CreateForms(context_);
    }

    MainWindow& Window() const { return *forms_->mainWindow; }
    std::string Log() const { return dir_.Read("standin.log"); }
    std::string Stored(const char* key) const { return store_.CfgGetDefault(key, "(none)"); }

    GameDir dir_;
    CfgStore store_;
    ScriptedPrompter prompter_;
    std::unique_ptr<GameRunner> runner_;
    RecordingSoundPlayer sound_;
    ScratchSettings settings_;
    AppContext context_;
    std::unique_ptr<Forms> forms_;
};

void ClickInto(QWidget* widget) {
    for (const auto type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent event(type, QPointF(4, 4), widget->mapToGlobal(QPointF(4, 4)), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                          Qt::NoModifier);
        QApplication::sendEvent(widget, &event);
    }
}

QStringList Texts(const QListWidget* list) {
    QStringList texts;
    for (int i = 0; i < list->count(); ++i) {
        texts << list->item(i)->text().trimmed();
    }
    return texts;
}

using MouseTweak = DemoLauncher;

TEST_F(MouseTweak, ASinglePlayerStartGoesThroughTheHelperWithItsOrder) {
    Window().gameOptionsPage->tweakMouseCheck->click();
    EXPECT_TRUE(Window().gameOptionsPage->mouseHorizontalEdit->isEnabled());
    EXPECT_EQ(Stored("SetMouse"), "1");
    EXPECT_EQ(Stored("SM_Horz"), "50");
    EXPECT_EQ(Stored("SM_Vert"), "0");

    Window().singlePlayerButton->click();

    EXPECT_EQ(dir_.Read("VKSETMS.DAT"), "VK.EXE\r\n-nopred\r\n50\r\n0\r\n");
    const std::string log = Log();
    EXPECT_EQ(log.rfind("start VKSETMS.EXE\narg -nopred\n", 0), 0u) << log;
    EXPECT_NE(log.find("starts VK.EXE -nopred\nend\nstart VK.EXE\narg -nopred\n"),
              std::string::npos)
        << log;
    EXPECT_EQ(sound_.played.size(), 2u);
}

TEST_F(MouseTweak, ACommStartNamesTheDriverAfterItsDataFileWasWritten) {
    WriteDefaultCommitData(dir_.Path());
    Window().gameOptionsPage->tweakMouseCheck->click();
    Window().gameOptionsPage->ticDupCombo->setCurrentIndex(2);

    Window().Launch(LaunchMode::Network, "COMMIT.EXE");

    EXPECT_EQ(dir_.Read("VKSETMS.DAT"), "COMMIT.EXE\r\n-nopred -f2\r\n50\r\n0\r\n");
    const std::string log = Log();
    EXPECT_EQ(log.rfind("start VKSETMS.EXE\narg -nopred\narg -f2\n", 0), 0u) << log;
    EXPECT_NE(log.find("file COMMIT.DAT\n"), std::string::npos) << log;
    EXPECT_NE(log.find("starts COMMIT.EXE -nopred -f2\nend\nstart COMMIT.EXE\n"), std::string::npos)
        << log;
}

TEST_F(MouseTweak, TypedValuesGoToTheNextStartButReachTheStoreOnlyWithAClick) {
    Window().gameOptionsPage->tweakMouseCheck->click();
    Window().gameOptionsPage->mouseHorizontalEdit->clear();
    Window().gameOptionsPage->mouseVerticalEdit->clear();
    Window().singlePlayerButton->click();
    EXPECT_EQ(dir_.Read("VKSETMS.DAT"), "VK.EXE\r\n-nopred\r\n\r\n\r\n") << "empty boxes";
    EXPECT_EQ(Stored("SM_Horz"), "50");

    Window().gameOptionsPage->mouseHorizontalEdit->setText("75");
    ClickInto(Window().gameOptionsPage->mouseHorizontalEdit);
    EXPECT_EQ(Stored("SM_Horz"), "75");
    EXPECT_EQ(Stored("SM_Vert"), "0") << "the other box was not clicked";

    // Clearing stores the check box alone; the boxes keep their last stored values.
    Window().gameOptionsPage->tweakMouseCheck->click();
    EXPECT_FALSE(Window().gameOptionsPage->mouseHorizontalEdit->isEnabled());
    EXPECT_FALSE(Window().gameOptionsPage->mouseVerticalEdit->isEnabled());
    EXPECT_EQ(Stored("SetMouse"), "0");
    EXPECT_EQ(Stored("SM_Horz"), "75");

    fs::remove(dir_ / "VKSETMS.DAT");
    fs::remove(dir_ / "standin.log");
    Window().singlePlayerButton->click();
    EXPECT_EQ(Log().rfind("start VK.EXE\n", 0), 0u);
    EXPECT_FALSE(dir_.Exists("VKSETMS.DAT"));
}

TEST_F(MouseTweak, AnOrderThatCannotBeWrittenStopsTheWholeLaunch) {
    Window().gameOptionsPage->tweakMouseCheck->click();
    Window().gameOptionsPage->recordDemoCheck->click();
    Window().hide(); // as a start that hid the window before it began
    {
        WriteFailureForTesting diskFull(std::make_error_code(std::errc::no_space_on_device));
        Window().singlePlayerButton->click();
    }
    EXPECT_EQ(prompter_.errors, QStringList{"Disk full"});
    EXPECT_EQ(Log(), "");
    EXPECT_TRUE(sound_.requested.empty());
    EXPECT_TRUE(prompter_.saveRequests.empty()) << "no demo step";
    EXPECT_TRUE(Window().isVisible());
}

using Recording = DemoLauncher;

const char* const kQuestion = "You have recorded a demo.  Do you wish to save it?";

TEST_F(Recording, SavingWithYesMovesTheRecordingAndListsIt) {
    Window().gameOptionsPage->recordDemoCheck->click();
    prompter_.fileAnswers.push_back(QStringFromPath(dir_ / "MY RUN.DMO"));
    prompter_.yesNoAnswers.push_back(true);

    Window().singlePlayerButton->click();

    ASSERT_EQ(prompter_.saveRequests.size(), 1u);
    EXPECT_EQ(prompter_.saveRequests[0].defaultSuffix, "DMO");
    EXPECT_EQ(prompter_.saveRequests[0].filter, "");
    EXPECT_TRUE(prompter_.saveRequests[0].confirmOverwrite);
    EXPECT_EQ(prompter_.questions, QStringList{kQuestion});
    EXPECT_EQ(dir_.Read("MY RUN.DMO").rfind("VKDM", 0), 0u) << "the stand-in's recording";
    EXPECT_FALSE(dir_.Exists("$$MRV$$.DMO"));
    EXPECT_TRUE(Texts(Window().demoPage->demoFileList).contains("MY RUN.DMO"));
    EXPECT_EQ(Window().demoPage->demoNameEdit->text(), "*.dmo");
    EXPECT_TRUE(prompter_.messages.isEmpty());
}

TEST_F(Recording, NoCancelOrAFailedCopyKeepTheRecording) {
    Window().gameOptionsPage->recordDemoCheck->click();
    const QString missingDir = QStringFromPath(dir_ / "gone" / "X.DMO");
    const struct {
        std::optional<QString> file;
        std::optional<bool> yes;
        int questions;
    } answers[] = {
        {QStringFromPath(dir_ / "NO.DMO"), false, 1}, // No
        {std::nullopt, std::nullopt, 0},              // the dialog cancelled: no question
        {missingDir, true, 1},                        // the copy fails
    };
    for (const auto& answer : answers) {
        prompter_.questions.clear();
        prompter_.fileAnswers.push_back(answer.file);
        if (answer.yes) {
            prompter_.yesNoAnswers.push_back(*answer.yes);
        }
        Window().singlePlayerButton->click();
        EXPECT_EQ(prompter_.questions.size(), answer.questions);
        EXPECT_TRUE(dir_.Exists("$$MRV$$.DMO"));
    }
    EXPECT_FALSE(dir_.Exists("NO.DMO"));
    ASSERT_EQ(prompter_.messages.size(), 1);
    EXPECT_TRUE(prompter_.messages[0].contains(QDir::toNativeSeparators(missingDir)))
        << prompter_.messages[0].toStdString();
}

TEST_F(Recording, TheDemoPageFollowsRecordDemoFromItsFirstChange) {
    MainWindow& main = Window();
    const QList<QWidget*> five = {main.demoPage->demoNameEdit, main.demoPage->demoFileList,
                                  main.demoPage->directoryList, main.demoPage->driveCombo,
                                  main.demoPage->directoryLabel};
    EXPECT_FALSE(main.demoPage->directoryLabel->isEnabled());
    EXPECT_TRUE(main.demoPage->demoFileList->isEnabled());
    main.gameOptionsPage->recordDemoCheck->click();
    for (QWidget* control : five) {
        EXPECT_TRUE(control->isEnabled()) << control->objectName().toStdString();
    }
    main.gameOptionsPage->recordDemoCheck->click();
    for (QWidget* control : five) {
        EXPECT_FALSE(control->isEnabled()) << control->objectName().toStdString();
    }
    EXPECT_TRUE(main.demoPage->playDemoButton->isEnabled());
}

class Playback : public DemoLauncher {
  protected:
    Playback() {
        dir_.Write("DEMO1.DMO", "the game's");
        dir_.Write("MINE.DMO", "mine");
        fs::create_directory(dir_ / "DEMOS");
        dir_.Write("DEMOS/DEMO1.DMO", "theirs");
        dir_.Write("DEMOS/far.dmo", "far away");
        dir_.Write("DEMOS/NOTES.TXT", "not a demo");
        Window().demoPage->SetDirectory(dir_.Path()); // see the files written after start-up
    }

    void Choose(const QString& name) const {
        const auto found = Window().demoPage->demoFileList->findItems(name, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << name.toStdString();
        Window().demoPage->demoFileList->setCurrentItem(found.front());
    }
};

TEST_F(Playback, AChosenDemoPlaysInTheGamesPlaceWithoutSwitchesOrSounds) {
    EXPECT_EQ(Window().demoPage->demoNameEdit->text(), "*.dmo");
    EXPECT_EQ(Texts(Window().demoPage->demoFileList), (QStringList{"DEMO1.DMO", "MINE.DMO"}));
    Choose("MINE.DMO");
    EXPECT_EQ(Window().demoPage->demoNameEdit->text(), "MINE.DMO");
    EXPECT_EQ(Window().demoPage->demoNameEdit->selectedText(), "MINE.DMO");

    Window().demoPage->playDemoButton->click();

    const std::string log = Log();
    EXPECT_EQ(log.rfind("start VK.EXE\ndir ", 0), 0u) << log;
    EXPECT_NE(log.find("demo DEMO1.DMO 4\n"), std::string::npos) << log;
    EXPECT_TRUE(sound_.requested.empty());
    EXPECT_EQ(dir_.Read("DEMO1.DMO"), "the game's");
    EXPECT_EQ(dir_.Read("MINE.DMO"), "mine");
    EXPECT_FALSE(dir_.Exists("DEMO1.$MV"));
}

TEST_F(Playback, AnotherDirectoryHasItsOwnDemosWhileTheGameStaysHome) {
    const fs::path before = fs::current_path();
    // A demo of the same name there is not the one chosen here.
    Choose("DEMO1.DMO");
    const auto entry = Window().demoPage->directoryList->findItems("DEMOS", Qt::MatchEndsWith);
    ASSERT_EQ(entry.size(), 1);
    emit Window().demoPage->directoryList->itemActivated(entry.front());

    EXPECT_EQ(Window().demoPage->Directory(), dir_ / "DEMOS");
    EXPECT_EQ(Window().demoPage->demoNameEdit->text(), "*.dmo");
    EXPECT_TRUE(Window().demoPage->demoFileList->selectedItems().isEmpty());
    EXPECT_TRUE(Window().demoPage->directoryLabel->toolTip().endsWith("DEMOS"));
    EXPECT_EQ(Texts(Window().demoPage->demoFileList), (QStringList{"DEMO1.DMO", "far.dmo"}));
    EXPECT_NE(Window().demoPage->driveCombo->currentIndex(), -1);
    Choose("far.dmo");

    Window().demoPage->playDemoButton->click();

    // The renames happen there, but the game plays the demo of its own directory.
    EXPECT_NE(Log().find("demo DEMO1.DMO 10\n"), std::string::npos) << Log();
    EXPECT_EQ(dir_.Read("DEMOS/DEMO1.DMO"), "theirs");
    EXPECT_EQ(dir_.Read("DEMOS/far.dmo"), "far away");
    EXPECT_FALSE(dir_.Exists("DEMOS/DEMO1.$MV"));
    EXPECT_EQ(fs::current_path(), before) << "browsing never moves the launcher";

    // Back up to the game directory through the list's way down from the root.
    const auto up = Window().demoPage->directoryList->findItems(
        QStringFromPath(dir_.Path().filename()), Qt::MatchEndsWith);
    ASSERT_FALSE(up.isEmpty());
    emit Window().demoPage->directoryList->itemActivated(up.front());
    EXPECT_EQ(Window().demoPage->Directory(), dir_.Path());
}

TEST_F(Playback, TheMaskOrANameThatIsNotThereDoesNothing) {
    for (const char* name : {"*.dmo", "GONE.DMO", "DEMOS"}) {
        Window().demoPage->demoNameEdit->setText(name);
        Window().demoPage->playDemoButton->click();
        EXPECT_EQ(Log(), "") << name;
    }
    EXPECT_TRUE(prompter_.messages.isEmpty());
}

TEST(DemoDrives, OffersDrivesWhereThereAreLettersAndPlacesElsewhere) {
    EXPECT_EQ(DrivePlaces({"C:/", "D:/"}, {"C:/Users/me", "C:/Games/VK"}),
              (QStringList{"C:/", "D:/"}));
    EXPECT_EQ(DrivePlaces({"/"}, {"/home/me", "/home/me/", "/games/vk", "/media/me/STICK"}),
              (QStringList{"/", "/home/me", "/games/vk", "/media/me/STICK"}));

    const QStringList places = {"/", "/home/me", "/home/me/games", "/media/me/STICK"};
    EXPECT_EQ(PlaceOf(places, "/home/me/games/vk"), 2);
    EXPECT_EQ(PlaceOf(places, "/home/meadow"), 0) << "a longer name is not inside";
    EXPECT_EQ(PlaceOf(places, "/home/me"), 1);
    EXPECT_EQ(PlaceOf({"C:/", "D:/"}, "D:/VK"), 1);
    EXPECT_EQ(PlaceOf({"C:/"}, "E:/VK"), -1);
}

} // namespace
} // namespace marloven::test
