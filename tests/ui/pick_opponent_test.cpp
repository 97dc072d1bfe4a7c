// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/dialogs/pick_opponent_dialog.h"

#include "tests/support/game_dir.h"
#include "tests/support/phonebook_record.h"
#include "tests/support/qt_scripted_prompter.h"
#include "tests/support/write_failure.h"
#include "tests/ui/dialog_driver.h"
#include "ui/dialogs/phonebook_entry_dialog.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace marloven {
namespace {

using test::ExecWhile;
using test::GameDir;
using test::ScriptedPrompter;

constexpr auto Record = test::PhonebookRecord;

class PickOpponentTest : public testing::Test {
  protected:
    explicit PickOpponentTest(GameDir::Files files = {})
        : dir_(files), dial_(dir_.Path(), prompter_, entryDialog_) {}

    QTreeWidget* List() const { return dial_.phoneList; }
    QStringList Row(int index) const {
        const auto* row = List()->topLevelItem(index);
        return {row->text(0), row->text(1)};
    }
    void Select(int index) { List()->setCurrentItem(List()->topLevelItem(index)); }

    // "&Add / Edit" with the entry dialog answered: the texts typed over what it
    // showed, then OK, or Cancel when `confirm` is false. Returns what it showed.
    QStringList AddEdit(const QString& name, const QString& number, bool confirm = true) {
        QStringList shown;
        auto* info = &dial_.EntryDialog();
        QTimer::singleShot(0, info, [=, &shown] {
            shown = {info->NameText(), info->NumberText()};
            info->nameEdit->setText(name);
            info->numberEdit->setText(number);
            (confirm ? info->okButton : info->cancelButton)->click();
        });
        dial_.AddOrEditEntry();
        return shown;
    }

    GameDir dir_;
    ScriptedPrompter prompter_;
    PhonebookEntryDialog entryDialog_;
    PickOpponentDialog dial_;
};

class PickOpponentWithBook : public PickOpponentTest {
  protected:
    PickOpponentWithBook()
        : PickOpponentTest({{"MARLOVEN.PBK", Record("Ann", "111") + Record("Bo\xe9", "(22) 2-2") +
                                                 Record("Cy\xff", "")}}) {
        EXPECT_TRUE(dial_.LoadPhonebook());
    }
    const std::string original_ = dir_.Read("MARLOVEN.PBK");
};

TEST_F(PickOpponentTest, NoPhonebookListsNothingAndTheFirstAddCreatesOneRecord) {
    ASSERT_TRUE(dial_.LoadPhonebook());
    EXPECT_EQ(List()->topLevelItemCount(), 0);
    EXPECT_EQ(AddEdit("Dee", "5"), (QStringList{"", ""}));
    EXPECT_EQ(dir_.Read("MARLOVEN.PBK"), Record("Dee", "5"));
}

TEST_F(PickOpponentTest, ACancelledAddWritesNothing) {
    ASSERT_TRUE(dial_.LoadPhonebook());
    AddEdit("Dee", "5", false);
    EXPECT_EQ(List()->topLevelItemCount(), 0);
    EXPECT_FALSE(dir_.Exists("MARLOVEN.PBK"));
}

// The file keeps 40 characters of each text: that many are kept and dialled whole (the
// entry dialog refuses more rather than have them cut).
TEST_F(PickOpponentTest, FortyCharactersAreStoredAndDialledWhole) {
    ASSERT_TRUE(dial_.LoadPhonebook());
    const std::string longNumber = "(555) 123-4567 1234567890 1234567890 123";
    ASSERT_EQ(longNumber.size(), 40u);
    const std::string name40(40, 'N');
    AddEdit(QString::fromStdString(name40), QString::fromStdString(longNumber));
    EXPECT_EQ(dir_.Read("MARLOVEN.PBK"), Record(name40, longNumber));

    Select(0);
    EXPECT_EQ(ExecWhile(dial_, [&] { dial_.dialButton->click(); }), QDialog::Accepted);
    EXPECT_EQ(dial_.ChosenNumber(), longNumber);
}

TEST_F(PickOpponentWithBook, ListsTheEntriesInFileOrderWithTheirBytes) {
    ASSERT_EQ(List()->topLevelItemCount(), 3);
    EXPECT_EQ(Row(1), (QStringList{"Boé", "(22) 2-2"}));
    // An edit elsewhere writes the untouched names back byte for byte.
    Select(0);
    EXPECT_EQ(AddEdit("Ann", "112"), (QStringList{"Ann", "111"}));
    EXPECT_EQ(dir_.Read("MARLOVEN.PBK"),
              Record("Ann", "112") + Record("Bo\xe9", "(22) 2-2") + Record("Cy\xff", ""));
}

TEST_F(PickOpponentWithBook, AnEditKeepsTheEntrysPlaceAndAnAddGoesToTheEnd) {
    Select(1);
    AddEdit("Bea", "3");
    List()->clearSelection();
    AddEdit("Dee", "4");
    EXPECT_EQ(dir_.Read("MARLOVEN.PBK"), Record("Ann", "111") + Record("Bea", "3") +
                                             Record("Cy\xff", "") + Record("Dee", "4"));
}

TEST_F(PickOpponentWithBook, ADeletionIsUndoneByReopeningUnlessAnEditSavedIt) {
    Select(0);
    dial_.deleteButton->click();
    EXPECT_EQ(List()->topLevelItemCount(), 2);
    EXPECT_EQ(ExecWhile(dial_, [&] { dial_.cancelButton->click(); }), QDialog::Rejected);
    EXPECT_EQ(dir_.Read("MARLOVEN.PBK"), original_);
    ASSERT_TRUE(dial_.LoadPhonebook());
    EXPECT_EQ(Row(0), (QStringList{"Ann", "111"}));

    Select(0);
    dial_.deleteButton->click();
    // No neighbour is picked for the player: "&Add / Edit" now adds.
    EXPECT_TRUE(List()->selectedItems().isEmpty());
    Select(1);
    AddEdit("Cyd", "9");
    EXPECT_EQ(dir_.Read("MARLOVEN.PBK"), Record("Bo\xe9", "(22) 2-2") + Record("Cyd", "9"));
}

TEST_F(PickOpponentWithBook, DeletingEveryEntryAndClosingKeepsTheOldFile) {
    while (List()->topLevelItemCount() > 0) {
        Select(0);
        dial_.DeleteEntry();
    }
    ExecWhile(dial_, [&] { dial_.close(); });
    EXPECT_EQ(dir_.Read("MARLOVEN.PBK"), original_);
}

TEST_F(PickOpponentWithBook, ANameEditedInPlaceIsSavedWithTheNextConfirmedEdit) {
    List()->topLevelItem(2)->setText(0, "Cyrus");
    AddEdit("x", "1", false);
    EXPECT_EQ(dir_.Read("MARLOVEN.PBK"), original_);
    Select(0);
    AddEdit("Ann", "111");
    EXPECT_EQ(dir_.Read("MARLOVEN.PBK"),
              Record("Ann", "111") + Record("Bo\xe9", "(22) 2-2") + Record("Cyrus", ""));
}

TEST_F(PickOpponentWithBook, OnlyTheNameIsEditedInPlace) {
    dial_.show();
    const auto editorsAfterEditing = [&](int column) {
        List()->editItem(List()->topLevelItem(0), column);
        const auto editors = List()->viewport()->findChildren<QLineEdit*>().size();
        List()->setCurrentItem(nullptr);
        return editors;
    };
    EXPECT_EQ(editorsAfterEditing(1), 0);
    EXPECT_EQ(editorsAfterEditing(0), 1);
}

TEST_F(PickOpponentWithBook, DialWithoutAPickSaysSoAndStaysOpen) {
    const auto result = ExecWhile(dial_, [&] {
        dial_.dialButton->click();
        EXPECT_TRUE(dial_.isVisible());
        Select(2);
        dial_.dialButton->click();
    });
    EXPECT_EQ(prompter_.messages, QStringList{"Pick an opponent to call first."});
    EXPECT_EQ(result, QDialog::Accepted);
    // An entry stored without a number gives an empty pick, so nothing is dialled.
    EXPECT_EQ(dial_.ChosenNumber(), "");
}

TEST_F(PickOpponentWithBook, CancelLeavesNoNumberAndReloadingForgetsTheLastPick) {
    Select(1);
    ExecWhile(dial_, [&] { dial_.DialPicked(); });
    EXPECT_EQ(dial_.ChosenNumber(), "(22) 2-2");
    ASSERT_TRUE(dial_.LoadPhonebook());
    EXPECT_EQ(dial_.ChosenNumber(), "");
    ExecWhile(dial_, [&] { dial_.reject(); });
    EXPECT_EQ(dial_.ChosenNumber(), "");
}

TEST_F(PickOpponentWithBook, AFailedSaveKeepsTheOldFileAndTheChangeInTheList) {
    WriteFailureForTesting diskFull(std::make_error_code(std::errc::no_space_on_device));
    Select(0);
    AddEdit("Ann", "999");
    EXPECT_EQ(dir_.Read("MARLOVEN.PBK"), original_);
    EXPECT_EQ(Row(0), (QStringList{"Ann", "999"}));
    ASSERT_EQ(prompter_.errors.size(), 1);
    EXPECT_TRUE(prompter_.errors[0].endsWith("MARLOVEN.PBK: Disk full"))
        << prompter_.errors[0].toStdString();
}

TEST_F(PickOpponentTest, ACutShortPhonebookIsReportedAndLeavesTheListEmpty) {
    dir_.Write("MARLOVEN.PBK", Record("Eve", "6"));
    ASSERT_TRUE(dial_.LoadPhonebook());
    dir_.Write("MARLOVEN.PBK", Record("Eve", "6") + Record("Fay", "7").substr(0, 50));
    EXPECT_FALSE(dial_.LoadPhonebook());
    EXPECT_EQ(List()->topLevelItemCount(), 0);
    ASSERT_EQ(prompter_.errors.size(), 1);
    EXPECT_TRUE(prompter_.errors[0].contains("MARLOVEN.PBK")) << prompter_.errors[0].toStdString();
}

} // namespace
} // namespace marloven
