// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/dialogs/select_modem_dialog.h"

#include "tests/support/qt_scripted_prompter.h"
#include "tests/ui/dialog_driver.h"

#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace marloven {
namespace {

using test::ExecWhile;
using test::PressKey;

const std::string kBranch(kWin95ModemPath);

// Three modems, the last one without the Settings value that detection needs.
std::unique_ptr<MemoryRegistrySource> ThreeModems() {
    auto source = std::make_unique<MemoryRegistrySource>();
    const struct {
        const char* number;
        const char* port;
        const char* name;
    } modems[] = {
        {"0000", "COM1", "Modem A"}, {"0001", "COM2", "Modem \xe9 B"}, {"0002", "COM7", "Modem C"}};
    for (const auto& modem : modems) {
        const auto key = kBranch + modem.number + "\\";
        source->SetText(key, "AttachedTo", modem.port);
        source->SetText(key, "DriverDesc", modem.name);
        source->SetText(key + "Init", "2", "ATZ");
        source->SetText(key + "Settings", "FlowControl_Hard", "&K3");
    }
    source->SetText(kBranch + "0002\\Settings", "FlowControl_Hard", std::string(127, 'K'));
    return source;
}

class SelectModemTest : public testing::Test {
  protected:
    SelectModemTest() {
        dialog_.ListInstalledModems(ThreeModems());
        dialog_.SetApplyHandler(
            [this](const DetectedModem& modem) { appliedPorts_.push_back(modem.comPortIndex); });
    }

    void PickRow(int row) { dialog_.modemList->setCurrentRow(row); }

    test::ScriptedPrompter prompter_;
    SelectModemDialog dialog_{prompter_};
    std::vector<int> appliedPorts_;
};

TEST_F(SelectModemTest, OkStartsDisabledAndAPickedRowEnablesItForGood) {
    EXPECT_FALSE(dialog_.okButton->isEnabled());
    EXPECT_EQ(dialog_.modemList->count(), 3);
    EXPECT_EQ(dialog_.modemList->item(1)->text(), "Modem é B");
    PickRow(1);
    EXPECT_TRUE(dialog_.okButton->isEnabled());
    EXPECT_EQ(dialog_.PickedRow(), 1);

    // A new scan leaves no row picked but keeps "OK" enabled.
    dialog_.ListInstalledModems(nullptr);
    EXPECT_EQ(dialog_.modemList->count(), 0);
    EXPECT_EQ(dialog_.PickedRow(), -1);
    EXPECT_TRUE(dialog_.okButton->isEnabled());
    dialog_.EnableOk();
    EXPECT_TRUE(dialog_.okButton->isEnabled());
}

TEST_F(SelectModemTest, AModemThatCannotBeReadIsReportedAndTheDialogStaysOpen) {
    const auto result = ExecWhile(dialog_, [&] {
        PickRow(2);
        dialog_.okButton->click();
        EXPECT_TRUE(dialog_.isVisible());
        EXPECT_EQ(prompter_.messages, QStringList{"Could not Detect modem properly."});
        PickRow(1);
        PressKey(dialog_.modemList, Qt::Key_Return);
    });
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(appliedPorts_, std::vector<int>{1});
}

TEST_F(SelectModemTest, ADoubleClickOnARowActsAsOk) {
    const auto result = ExecWhile(dialog_, [&] {
        auto* list = dialog_.modemList;
        list->setCurrentRow(0);
        emit list->itemDoubleClicked(list->item(0));
    });
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(appliedPorts_, std::vector<int>{0});
}

TEST_F(SelectModemTest, CancelAndEscapeCloseWithoutApplying) {
    EXPECT_EQ(ExecWhile(dialog_, [&] { dialog_.cancelButton->click(); }), QDialog::Rejected);
    EXPECT_EQ(ExecWhile(dialog_, [&] { PressKey(dialog_.modemList, Qt::Key_Escape); }),
              QDialog::Rejected);
    EXPECT_TRUE(appliedPorts_.empty());
    EXPECT_TRUE(prompter_.messages.isEmpty());
}

// The dialog is reused, and a clicked Cancel keeps the focus into the next opening.
TEST_F(SelectModemTest, AfterACancelClickTheArrowsPickARowAndEnterIsOk) {
    PickRow(0);
    ExecWhile(dialog_, [&] { QTest::mouseClick(dialog_.cancelButton, Qt::LeftButton); });
    dialog_.ListInstalledModems(ThreeModems());
    const auto result = ExecWhile(dialog_, [&] {
        ASSERT_NE(dialog_.focusWidget(), nullptr);
        // The list, with the focus, starts at its first row; the arrow picks the next.
        QTest::keyClick(dialog_.focusWidget(), Qt::Key_Down);
        QTest::keyClick(dialog_.focusWidget(), Qt::Key_Return);
    });
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(appliedPorts_, std::vector<int>{1});
}

TEST_F(SelectModemTest, OkWithNoRowPickedReportsTheFailure) {
    // From the second use on "OK" is enabled while no row is picked.
    PickRow(0);
    dialog_.ListInstalledModems(ThreeModems());
    ExecWhile(dialog_, [&] {
        dialog_.okButton->click();
        EXPECT_TRUE(dialog_.isVisible());
        dialog_.reject();
    });
    EXPECT_EQ(prompter_.messages, QStringList{"Could not Detect modem properly."});
    EXPECT_TRUE(appliedPorts_.empty());
}

} // namespace
} // namespace marloven
