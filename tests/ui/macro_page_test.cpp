// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/ui/launcher_fixture.h"

#include "ui/dialogs/macro_dialog.h"
#include "ui/main/macro_page.h"

#include <QApplication>
#include <QClipboard>
#include <QEventLoop>
#include <QHeaderView>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QStyleHints>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <functional>
#include <gtest/gtest.h>

namespace marloven::test {
namespace {

constexpr int kMacroPage = 3;

// A launcher over the given VK.CFG with its settings loaded, worked as a player works
// the macro page.
struct MacroScene {
    explicit MacroScene(const std::string& cfg) : launcher({{"VK.CFG", cfg}}) {
        EXPECT_TRUE(Window().LoadSettings());
    }

    MainWindow& Window() const { return launcher.Window(); }
    QTreeWidget* List() const { return Window().macroPage->macroList; }
    MacroDialog& Dialog() const { return *launcher.forms->macroDialog; }
    QTreeWidgetItem* Row(int n) const { return List()->topLevelItem(n); }
    QStringList Column(int column) const {
        QStringList texts;
        for (int n = 0; n < List()->topLevelItemCount(); ++n) {
            texts << Row(n)->text(column);
        }
        return texts;
    }

    // The page on screen, so that rows have their places for the mouse.
    void ShowPage() {
        Window().show();
        Window().pages->setCurrentIndex(kMacroPage);
        QApplication::processEvents();
    }

    // Runs `action`, answering the dialog with `answer` whenever it opens meanwhile.
    // Returns what the box showed each time it opened.
    QStringList WhileAnswering(const std::function<void()>& action,
                               const std::function<void(MacroDialog&)>& answer) {
        QStringList shown;
        QTimer answerer;
        answerer.setInterval(1);
        QObject::connect(&answerer, &QTimer::timeout, [&] {
            MacroDialog& dialog = Dialog();
            if (!dialog.isVisible()) {
                return;
            }
            shown << dialog.macroEdit->text();
            answer(dialog);
            if (dialog.isVisible()) {
                ADD_FAILURE() << "the dialog stayed open";
                dialog.done(-1);
            }
        });
        answerer.start();
        action();
        return shown;
    }

    // Selects row n and presses "&Edit".
    QStringList Edit(int n, const std::function<void(MacroDialog&)>& answer) {
        List()->setCurrentItem(Row(n));
        return WhileAnswering([this] { Window().macroPage->editButton->click(); }, answer);
    }

    // The player types over the box and confirms.
    QStringList EditTo(int n, const QString& text) {
        return Edit(n, [&](MacroDialog& dialog) {
            dialog.macroEdit->setText(text);
            dialog.okButton->click();
        });
    }

    // A double click as the mouse makes it, the view seeing each event, then the
    // events it leaves behind.
    void DoubleClick(QPoint at) {
        const auto send = [&](QEvent::Type type, Qt::MouseButtons buttons) {
            QMouseEvent event(type, at, List()->viewport()->mapToGlobal(at), Qt::LeftButton,
                              buttons, Qt::NoModifier);
            QApplication::sendEvent(List()->viewport(), &event);
        };
        send(QEvent::MouseButtonPress, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, Qt::NoButton);
        send(QEvent::MouseButtonDblClick, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, Qt::NoButton);
        QApplication::processEvents();
    }
    QPoint CaptionOf(int n) const {
        return {List()->header()->sectionViewportPosition(0) + 8,
                List()->visualItemRect(Row(n)).center().y()};
    }
    QPoint BesideRow(int n) const {
        return {List()->header()->sectionViewportPosition(1) + List()->columnWidth(1) + 3,
                List()->visualItemRect(Row(n)).center().y()};
    }

    Launcher launcher;
};

// Lets the timers that a click leaves behind run out, as when the player waits.
void WaitPastDoubleClick() {
    QEventLoop loop;
    QTimer::singleShot(QGuiApplication::styleHints()->mouseDoubleClickInterval() + 100, &loop,
                       &QEventLoop::quit);
    loop.exec();
}

// The window pictures show the page in fixed fonts; the player's system may give the
// list another one, and "Macro #" and "Macro 9" must still show whole and leave the
// rest to the macro texts, also once on screen.
TEST(MacroPageLayout, TheCaptionColumnFitsItsTextsInTheSystemsFont) {
    MacroScene page("");
    QTreeWidget* list = page.List();
    const int captions = list->columnWidth(0);
    EXPECT_GE(captions, list->header()->sectionSizeHint(0));
    EXPECT_GT(captions, list->fontMetrics().horizontalAdvance("Macro 9") + 4);
    EXPECT_LT(captions, 2 * list->header()->sectionSizeHint(0));
    EXPECT_EQ(list->columnWidth(1), 296);
    page.ShowPage();
    EXPECT_EQ(list->columnWidth(0), captions);
    EXPECT_EQ(list->columnWidth(1), 296);
}

TEST(MacroPageKeys, ArrowsMoveTheSelectionAndCharactersAreDropped) {
    MacroScene page("");
    QTreeWidget* list = page.List();
    list->setCurrentItem(page.Row(0));
    PressKey(list, Qt::Key_Down);
    EXPECT_EQ(list->currentItem(), page.Row(1));
    // "M" would jump to the next "Macro" row, "9" nowhere: both are dropped.
    Type(list, "M9 ");
    EXPECT_EQ(list->currentItem(), page.Row(1));
    EXPECT_EQ(list->selectedItems(), QList<QTreeWidgetItem*>({page.Row(1)}));
    PressKey(list, Qt::Key_End);
    EXPECT_EQ(list->currentItem(), page.Row(9));
    PressKey(list, Qt::Key_Up);
    EXPECT_EQ(list->currentItem(), page.Row(8));
}

TEST(MacroEdit, WithoutMacroKeysAppendsTheEditedRowAfterTheLastLine) {
    // The last line has no break: the appended line must still start a line of its own.
    MacroScene page("PlayerName = \"Ann\"\r\nNetColor = 2");
    EXPECT_EQ(page.EditTo(4, "Fire left"), QStringList({""}));
    EXPECT_EQ(page.Row(4)->text(1), "Fire left");
    EXPECT_EQ(page.launcher.store.WrittenForm(),
              "PlayerName = \"Ann\"\r\nNetColor = 2\r\nCommbatMacro#4 = \"Fire left\"");
    // Nothing reaches the disk before the settings are saved.
    EXPECT_EQ(page.launcher.dir.Read("VK.CFG"), "PlayerName = \"Ann\"\r\nNetColor = 2");
}

TEST(MacroEdit, RewritesAnOddlyWrittenLineInPlaceKeepingBlanksInsideTheQuotes) {
    MacroScene page("; macros\r\n"
                    "  commbat MACRO#2  =   \"  Hold \"the\" line\" ; old\r\n"
                    "PlayerName = \"Ann\"\r\n");
    // Blanks before the opening quote go, those after it stay; so do all but two quotes.
    EXPECT_EQ(page.Row(2)->text(1), "  Hold the\" line\" ; old");
    EXPECT_EQ(page.EditTo(2, "  Regroup"), QStringList({"  Hold the\" line\" ; old"}));
    EXPECT_EQ(page.launcher.store.WrittenForm(), "; macros\r\n"
                                                 "CommbatMacro#2 = \"  Regroup\"\r\n"
                                                 "PlayerName = \"Ann\"\r\n");
    page.Window().macroPage->FillMacroList();
    EXPECT_EQ(page.Row(2)->text(1), "  Regroup");
}

TEST(MacroEdit, StoresQuotesAsTypedAndAnEmptyTextAsTwoQuotes) {
    MacroScene page("CommbatMacro#3 = \"old\"\r\n");
    page.EditTo(1, "say \"gg\" now");
    page.EditTo(3, "");
    EXPECT_EQ(page.Row(1)->text(1), "say \"gg\" now");
    EXPECT_EQ(page.Row(3)->text(1), "");
    EXPECT_EQ(page.launcher.store.WrittenForm(),
              "CommbatMacro#3 = \"\"\r\nCommbatMacro#1 = \"say \"gg\" now\"\r\n");
    // Reading back drops the first two quotes, whatever they enclosed.
    page.Window().macroPage->FillMacroList();
    EXPECT_EQ(page.Row(1)->text(1), "say gg\" now\"");
}

TEST(MacroEdit, KeysOutOfOrderWithGapsAndLookalikesFillTheirOwnRows) {
    MacroScene page("CommbatMacro#9 = \"nine\"\r\n"
                    "CommbatMacro#10 = \"ten\"\r\n"
                    "CommbatMacro#0 = \"zero\"\r\n"
                    "CommbatMacro#5 = \"five\"\r\n"
                    "COMMBATMACRO#5 = \"second five\"\r\n"
                    "CombatMacro#3 = \"one m\"\r\n");
    EXPECT_EQ(page.Column(1), QStringList({"zero", "", "", "", "", "five", "", "", "", "nine"}));
    // An edit touches the first of two lines with the same key, and no lookalike.
    page.EditTo(5, "V");
    page.EditTo(1, "I");
    EXPECT_EQ(page.launcher.store.WrittenForm(), "CommbatMacro#9 = \"nine\"\r\n"
                                                 "CommbatMacro#10 = \"ten\"\r\n"
                                                 "CommbatMacro#0 = \"zero\"\r\n"
                                                 "CommbatMacro#5 = \"V\"\r\n"
                                                 "COMMBATMACRO#5 = \"second five\"\r\n"
                                                 "CombatMacro#3 = \"one m\"\r\n"
                                                 "CommbatMacro#1 = \"I\"\r\n");
}

TEST(MacroEdit, CancelEscapeAndTheFrameChangeNothing) {
    const std::string cfg = "CommbatMacro#7 = \"keep\"\r\n";
    MacroScene page(cfg);
    const std::function<void(MacroDialog&)> refusals[] = {
        [](MacroDialog& dialog) { dialog.cancelButton->click(); },
        [](MacroDialog& dialog) { PressKey(dialog.macroEdit, Qt::Key_Escape); },
        [](MacroDialog& dialog) { dialog.close(); },
    };
    for (const auto& refuse : refusals) {
        const auto shown = page.Edit(7, [&](MacroDialog& dialog) {
            dialog.macroEdit->setText("changed");
            refuse(dialog);
        });
        EXPECT_EQ(shown, QStringList({"keep"}));
        EXPECT_EQ(page.Row(7)->text(1), "keep");
        EXPECT_EQ(page.launcher.store.WrittenForm(), cfg);
    }
}

TEST(MacroEdit, TheDialogOpensInTheBoxWithTheTextSelectedEveryTime) {
    MacroScene page("CommbatMacro#4 = \"old\"\r\n");
    // The first time the player leaves with Cancel, which keeps the focus there.
    page.Edit(4, [](MacroDialog& dialog) {
        dialog.cancelButton->setFocus();
        PressKey(dialog.cancelButton, Qt::Key_Space, " ");
    });
    page.Edit(4, [](MacroDialog& dialog) {
        EXPECT_EQ(dialog.focusWidget(), dialog.macroEdit);
        Type(dialog.macroEdit, "new");
        dialog.okButton->click();
    });
    EXPECT_EQ(page.launcher.LineOf("CommbatMacro#4"), "CommbatMacro#4 = \"new\"");
}

TEST(MacroEdit, WithoutASelectedRowNothingOpens) {
    MacroScene page("CommbatMacro#0 = \"a\"\r\n");
    page.ShowPage();
    // A current row that is not selected does not count.
    page.List()->setCurrentItem(page.Row(0), 0, QItemSelectionModel::NoUpdate);
    page.List()->clearSelection();
    const auto never = [](MacroDialog& dialog) { dialog.reject(); };
    EXPECT_TRUE(page.WhileAnswering([&] { page.Window().macroPage->editButton->click(); }, never)
                    .isEmpty());
    // Right of the last column.
    const QPoint empty = page.BesideRow(0);
    ASSERT_TRUE(page.List()->viewport()->rect().contains(empty));
    ASSERT_EQ(page.List()->itemAt(empty), nullptr);
    EXPECT_TRUE(page.WhileAnswering([&] { page.DoubleClick(empty); }, never).isEmpty());
    EXPECT_EQ(page.launcher.store.WrittenForm(), "CommbatMacro#0 = \"a\"\r\n");
}

TEST(MacroEdit, ADoubleClickOnARowEditsItsMacroAndLeavesNoCaptionEditorBehind) {
    MacroScene page("CommbatMacro#6 = \"six\"\r\n");
    page.ShowPage();
    // The row is selected already, so the first click of the pair would start editing
    // its caption, were the double click not taken for "&Edit".
    page.List()->setCurrentItem(page.Row(6));
    const auto shown = page.WhileAnswering([&] { page.DoubleClick(page.CaptionOf(6)); },
                                           [](MacroDialog& dialog) {
                                               dialog.macroEdit->setText("SIX");
                                               dialog.okButton->click();
                                           });
    EXPECT_EQ(shown, QStringList({"six"}));
    EXPECT_EQ(page.launcher.LineOf("CommbatMacro#6"), "CommbatMacro#6 = \"SIX\"");
    WaitPastDoubleClick();
    EXPECT_TRUE(page.List()->findChildren<QLineEdit*>().isEmpty());
    EXPECT_EQ(page.Row(6)->text(0), "Macro 6");
}

TEST(MacroEdit, ARowRenamedAsAnotherStillEditsItsOwnMacro) {
    MacroScene page("CommbatMacro#2 = \"two\"\r\n");
    page.ShowPage();
    page.List()->editItem(page.Row(6), 0);
    auto* editor = page.List()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->setText("Macro 2");
    PressKey(editor, Qt::Key_Return);
    QApplication::processEvents();
    ASSERT_EQ(page.Row(6)->text(0), "Macro 2");

    page.EditTo(6, "mine");
    EXPECT_EQ(page.launcher.LineOf("CommbatMacro#6"), "CommbatMacro#6 = \"mine\"");
    EXPECT_EQ(page.launcher.LineOf("CommbatMacro#2"), "CommbatMacro#2 = \"two\"");
    EXPECT_EQ(page.Row(2)->text(1), "two");
}

TEST(MacroEdit, APastedLineBreakCannotSlipALineIntoTheFile) {
    MacroScene page("PlayerName = \"Ann\"\r\n");
    page.Edit(8, [](MacroDialog& dialog) {
        QGuiApplication::clipboard()->setText("a\r\nPlayerName = \"Mallory\"\nb");
        dialog.macroEdit->paste();
        dialog.okButton->click();
    });
    EXPECT_EQ(page.launcher.store.WrittenForm(),
              "PlayerName = \"Ann\"\r\nCommbatMacro#8 = \"a PlayerName = \"Mallory\" b\"\r\n");
    EXPECT_EQ(page.Row(8)->text(1), "a PlayerName = \"Mallory\" b");
}

} // namespace
} // namespace marloven::test
