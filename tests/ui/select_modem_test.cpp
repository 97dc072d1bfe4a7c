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
        dialog_.SetModems({"Modem A", "Modem \xe9 B", "Modem C"});
        dialog_.SetApplyHandler([this](int row) {
            appliedRows_.push_back(row);
            return applySucceeds_;
        });
    }

    void PickRow(int row) { dialog_.ModemList()->setCurrentRow(row); }

    TSelectModem dialog_;
    std::vector<int> appliedRows_;
    bool applySucceeds_ = true;
};

TEST_F(SelectModemTest, OkStartsDisabledAndAPickedRowEnablesItForGood) {
    EXPECT_FALSE(dialog_.OkButton()->isEnabled());
    EXPECT_EQ(dialog_.ModemList()->item(1)->text(), "Modem é B");
    PickRow(1);
    EXPECT_TRUE(dialog_.OkButton()->isEnabled());
    EXPECT_EQ(dialog_.PickedRow(), 1);

    // A new scan leaves no row picked but keeps "OK" enabled.
    dialog_.SetModems({"Modem D"});
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
    EXPECT_EQ(appliedRows_, (std::vector<int>{2, 2}));
}

TEST_F(SelectModemTest, ADoubleClickOnARowActsAsOk) {
    const auto result = ExecWhile(dialog_, [&] {
        auto* list = dialog_.ModemList();
        list->setCurrentRow(0);
        emit list->itemDoubleClicked(list->item(0));
    });
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(appliedRows_, std::vector<int>{0});
}

TEST_F(SelectModemTest, CancelAndEscapeCloseWithoutApplying) {
    EXPECT_EQ(ExecWhile(dialog_, [&] { dialog_.CancelButton()->click(); }), QDialog::Rejected);
    EXPECT_EQ(ExecWhile(dialog_, [&] { PressKey(dialog_.ModemList(), Qt::Key_Escape); }),
              QDialog::Rejected);
    EXPECT_TRUE(appliedRows_.empty());
}

TEST_F(SelectModemTest, OkWithNoRowPickedAsksTheApplyWhichRefuses) {
    // From the second use on "OK" is enabled while no row is picked.
    PickRow(0);
    dialog_.SetModems({"Modem A"});
    applySucceeds_ = false;
    ExecWhile(dialog_, [&] {
        dialog_.Button1Click();
        dialog_.reject();
    });
    EXPECT_EQ(appliedRows_, std::vector<int>{-1});
}

} // namespace
} // namespace marloven
