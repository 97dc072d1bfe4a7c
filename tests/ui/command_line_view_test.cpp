// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/dosbox_start.h"
#include "launcher/dos_engine.h"
#include "launcher/start_plan.h"
#include "tests/support/game_dir.h"
#include "tests/ui/dialog_driver.h"
#include "tests/ui/launcher_fixture.h"
#include "ui/dialogs/command_line_view.h"
#include "ui/main/game_options_page.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

namespace marloven::test {
namespace {

bool Has(const QString& text, const std::string& part) {
    return text.contains(QString::fromStdString(part));
}

TEST(CommandLineView, ShowsWhatEachStartWouldRunAndCopiesIt) {
    // A game copied in lower case, without SETUP.EXE.
    const GameDir game({{"vk.exe", "MZ"}, {"commit.exe", "MZ"}, {"my.conf", ""}});
    DosboxSettings settings;
    settings.dosboxPath = (game / "my.conf").string(); // any file stands in for DOSBox here
    settings.playersConfiguration = (game / "my.conf").string();
    DosEngineRunner engine(MakeSystemProgramRunner(), [&settings] { return settings; });
    GameOptions options;
    options.netPred = true;
    options.ticDupPosition = 2;
    const auto describe = [&](std::string_view name) {
        const auto plan = PlanNamedStart(engine, game.Path(), name, options, false);
        return plan ? DescribePlannedStart(*plan) : std::string("none");
    };

    CommandLineView view;
    QString single, network, setup;
    WhenOpened(view, [&] {
        single = view.startText->toPlainText();
        view.startCombo->setCurrentIndex(view.startCombo->findText("Network"));
        network = view.startText->toPlainText();
        view.startCombo->setCurrentIndex(view.startCombo->findText("Setup"));
        setup = view.startText->toPlainText();
        view.startCombo->setCurrentIndex(view.startCombo->findText("Answer"));
        view.copyButton->click();
        view.accept();
    });
    view.Show(describe);

    EXPECT_TRUE(Has(single, "DOS command line: VK.EXE -nopred\n")) << single.toStdString();
    EXPECT_TRUE(Has(single, "Host command: " + settings.dosboxPath + " -conf marloven.conf -conf " +
                                settings.playersConfiguration + "\n"))
        << single.toStdString();
    EXPECT_TRUE(Has(single, "mount C \"" + game.Path().string() + "\"\nC:\nVK.EXE -nopred\nexit\n"))
        << single.toStdString();
    EXPECT_TRUE(Has(network, "DOS command line: COMMIT.EXE -nopred -f2\n"))
        << network.toStdString();
    EXPECT_TRUE(Has(setup, "Not started: SETUP.EXE was not found!\n")) << setup.toStdString();
    EXPECT_TRUE(
        Has(QGuiApplication::clipboard()->text(), "DOS command line: COMMIT.EXE -nopred -f2\n"))
        << QGuiApplication::clipboard()->text().toStdString();
}

TEST(CommandLineView, TheViewMenuShowsTheStartWithTheWindowsOptionsAsTheyStand) {
    Launcher launcher({{"VK.EXE", "MZ"}});
    launcher.Window().gameOptionsPage->recordDemoCheck->click();
    QString shown;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto* view = qobject_cast<CommandLineView*>(QApplication::activeModalWidget())) {
            poll.stop();
            shown = view->startText->toPlainText();
            view->accept();
        }
    });
    poll.start(1);
    launcher.Window().commandLineAction->trigger();
    // The fake runner of the fixture starts every program itself.
    EXPECT_TRUE(Has(shown, "Command line: " + (launcher.dir / "VK.EXE").string() +
                               " -nopred -dr$$MRV$$.DMO -level1 -s3\n"))
        << shown.toStdString();
}

} // namespace
} // namespace marloven::test
