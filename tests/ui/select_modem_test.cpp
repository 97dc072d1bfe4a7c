#include "ui/modem_list.h"

#include "tests/ui/dialog_driver.h"

#include <QListWidget>
#include <QPushButton>
#include <gtest/gtest.h>

namespace marloven {
namespace {

using test::ExecWhile;
using test::PressKey;

class SelectModemTest : public testing::Test {
  protected:
    SelectModemTest() {
        dialog_.SetModems({{"Modem A", "0000"}, {"Modem \xe9 B", "0001"}, {"Modem C", "0003"}});
        dialog_.SetApplyHandler([this](const ModemRow* picked) {
            appliedKeys_.push_back(picked ? picked->keyPath : "none");
            return applySucceeds_;
        });
    }

    void PickRow(int row) { dialog_.ModemList()->setCurrentRow(row); }

    TSelectModem dialog_;
    std::vector<std::string> appliedKeys_;
    bool applySucceeds_ = true;
};

TEST_F(SelectModemTest, OkStartsDisabledAndAPickedRowEnablesItForGood) {
    EXPECT_FALSE(dialog_.OkButton()->isEnabled());
    EXPECT_EQ(dialog_.ModemList()->item(1)->text(), "Modem é B");
    PickRow(1);
    EXPECT_TRUE(dialog_.OkButton()->isEnabled());
    EXPECT_EQ(dialog_.PickedRow(), 1);

    // A new scan leaves no row picked but keeps "OK" enabled.
    dialog_.SetModems({{"Modem D", "0000"}});
    EXPECT_EQ(dialog_.PickedRow(), -1);
    EXPECT_TRUE(dialog_.OkButton()->isEnabled());
    dialog_.ModemListClick();
    EXPECT_TRUE(dialog_.OkButton()->isEnabled());
}

TEST_F(SelectModemTest, OkHandsThePickedRowOverAndClosesOnlyWhenTheApplyWorked) {
    applySucceeds_ = false;
    const auto result = ExecWhile(dialog_, [&] {
        PickRow(2);
        dialog_.OkButton()->click();
        EXPECT_TRUE(dialog_.isVisible());
        applySucceeds_ = true;
        PressKey(dialog_.ModemList(), Qt::Key_Return);
    });
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(appliedKeys_, (std::vector<std::string>{"0003", "0003"}));
}

TEST_F(SelectModemTest, ADoubleClickOnARowActsAsOk) {
    const auto result = ExecWhile(dialog_, [&] {
        auto* list = dialog_.ModemList();
        list->setCurrentRow(0);
        emit list->itemDoubleClicked(list->item(0));
    });
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(appliedKeys_, std::vector<std::string>{"0000"});
}

TEST_F(SelectModemTest, CancelAndEscapeCloseWithoutApplying) {
    EXPECT_EQ(ExecWhile(dialog_, [&] { dialog_.CancelButton()->click(); }), QDialog::Rejected);
    EXPECT_EQ(ExecWhile(dialog_, [&] { PressKey(dialog_.ModemList(), Qt::Key_Escape); }),
              QDialog::Rejected);
    EXPECT_TRUE(appliedKeys_.empty());
}

TEST_F(SelectModemTest, OkWithNoRowPickedAsksTheApplyWhichRefuses) {
    // From the second use on "OK" is enabled while no row is picked.
    PickRow(0);
    dialog_.SetModems({{"Modem A", "0000"}});
    applySucceeds_ = false;
    ExecWhile(dialog_, [&] {
        dialog_.Button1Click();
        dialog_.reject();
    });
    EXPECT_EQ(appliedKeys_, std::vector<std::string>{"none"});
}

} // namespace
} // namespace marloven
