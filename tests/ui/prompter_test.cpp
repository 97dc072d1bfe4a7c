// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/prompter.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace marloven {
namespace {

struct BoxSeen {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QString text;
};

// Runs `ask`, which opens one of the real boxes, and answers the box with `answer`.
BoxSeen AnswerBox(QMessageBox::StandardButton answer, const std::function<void()>& ask) {
    BoxSeen seen;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) {
            return;
        }
        poll.stop();
        seen = {box->icon(), box->standardButtons(), box->text()};
        box->button(answer)->click();
    });
    poll.start(1);
    ask();
    EXPECT_FALSE(poll.isActive()) << "no box opened";
    return seen;
}

TEST(QtPrompterBoxes, MessagesAndErrorsArePlainAndQuestionsCarryTheirIcon) {
    QtPrompter boxes;
    Prompter& prompter = boxes;
    for (const auto& show : std::vector<std::function<void()>>{
             [&] { prompter.Inform("VK.EXE was not found!"); },
             [&] { prompter.ShowError("Cannot create file VK.CFG"); }}) {
        const auto seen = AnswerBox(QMessageBox::Ok, show);
        EXPECT_EQ(seen.icon, QMessageBox::NoIcon) << seen.text.toStdString();
        EXPECT_EQ(seen.buttons, QMessageBox::Ok) << seen.text.toStdString();
    }

    bool yes = false;
    auto seen = AnswerBox(QMessageBox::Yes, [&] { yes = prompter.AskYesNo("Save?"); });
    EXPECT_EQ(seen.icon, QMessageBox::Question);
    EXPECT_EQ(seen.buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_TRUE(yes);

    seen = AnswerBox(QMessageBox::No, [&] {
        yes = prompter.AskYesNo("Do you wish to do this?", QuestionIcon::Information);
    });
    EXPECT_EQ(seen.icon, QMessageBox::Information);
    EXPECT_EQ(seen.buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_FALSE(yes);
}

} // namespace
} // namespace marloven
