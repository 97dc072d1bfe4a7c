// SPDX-License-Identifier: GPL-3.0-or-later
#include "launcher/dos_engine.h"
#include "launcher/dosbox_options.h"
#include "launcher/launcher_settings.h"
#include "tests/support/game_dir.h"
#include "tests/support/qt_scripted_prompter.h"
#include "tests/support/scratch_settings.h"
#include "tests/ui/dialog_driver.h"
#include "ui/dialogs/dosbox_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

namespace marloven::test {
namespace {

TEST(DosboxDialog, WhatThePlayerAcceptsIsKeptAndTheNextStartUsesIt) {
    ScratchSettings settings;
    const GameDir game({{"VK.EXE", "MZ"}, {"my dosbox", "#!/bin/sh\n"}});
    DosEngineRunner engine(MakeSystemProgramRunner(), [&] { return LoadDosboxSettings(settings); });
    const GameStart single{(game / "VK.EXE").string(), "-nopred", game.Path().string()};
    ASSERT_TRUE(engine.Plan(single).throughDosbox) << "DOSBox by default on this system";

    ScriptedPrompter prompter;
    prompter.fileAnswers.push_back(QString::fromStdString((game / "my dosbox").string()));
    DosboxDialog dialog(prompter);
    WhenOpened(dialog, [&dialog] {
        EXPECT_EQ(dialog.dosboxPathEdit->text(), "") << "nothing set: the search path";
        dialog.browseDosboxButton->click();
        dialog.fullScreenCheck->click();
        dialog.playersConfigurationEdit->setText("  ");
        dialog.okButton->click();
    });
    EditDosboxSettings(dialog, settings);

    const PlannedStart planned = engine.Plan(single);
    EXPECT_EQ(planned.hostCommand.rfind("\"" + (game / "my dosbox").string() + "\" -conf", 0), 0u)
        << planned.hostCommand;
    EXPECT_NE(planned.configuration.find("fullscreen=true\n"), std::string::npos);
    EXPECT_EQ(LoadDosboxSettings(settings).playersConfiguration, "") << "blanks are no file";

    // Never, and then Cancel: the stored choice stays until the player accepts another.
    WhenOpened(dialog, [&dialog] {
        EXPECT_TRUE(dialog.fullScreenCheck->isChecked());
        dialog.useCombo->setCurrentIndex(static_cast<int>(DosboxUse::Never));
        dialog.okButton->click();
    });
    EditDosboxSettings(dialog, settings);
    EXPECT_FALSE(engine.Plan(single).throughDosbox);
    WhenOpened(dialog, [&dialog] {
        dialog.useCombo->setCurrentIndex(static_cast<int>(DosboxUse::Always));
        dialog.reject();
    });
    EditDosboxSettings(dialog, settings);
    EXPECT_EQ(LoadDosboxSettings(settings).use, DosboxUse::Never);
}

// The DOSBox a start would use is named with its version, readable; a path to no file
// is not taken at OK.
TEST(DosboxDialog, ShowsTheDosboxUsedWithItsVersionAndRefusesAPathToNothing) {
    ScratchSettings settings;
    const GameDir game;
#ifdef _WIN32
    const std::string fake = (game / "dosbox.exe").string();
#else
    const std::string fake = (game / "dosbox").string();
#endif
    std::filesystem::copy_file(FAKE_DOSBOX_PATH, fake);
    ScriptedPrompter prompter;
    DosboxDialog dialog(prompter);
    WhenOpened(dialog, [&] {
        dialog.dosboxPathEdit->setText(QString::fromStdString((game / "gone").string()));
        dialog.okButton->click();
        ASSERT_EQ(prompter.messages.size(), 1);
        EXPECT_TRUE(prompter.messages[0].endsWith("gone was not found. Choose a file that is "
                                                  "there, or leave the box empty."));
        EXPECT_TRUE(dialog.isVisible());
        dialog.dosboxPathEdit->setText(QString::fromStdString(fake));
        emit dialog.dosboxPathEdit->editingFinished();
        EXPECT_EQ(dialog.usedLabel->text(),
                  QString::fromStdString("Used: " + fake + " (DOSBox version 9.9, ours)"));
        EXPECT_EQ(dialog.usedLabel->palette().color(QPalette::WindowText), QColor(Qt::white));
        dialog.okButton->click();
    });
    EditDosboxSettings(dialog, settings);
    EXPECT_EQ(LoadDosboxSettings(settings).dosboxPath, fake);
}

} // namespace
} // namespace marloven::test
