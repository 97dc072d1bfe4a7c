// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/main/game_options_page.h"

#include "core/file_io.h"
#include "core/launch.h"
#include "core/mouse_tweak.h"
#include "core/settings.h"
#include "qt_text/text_conversions.h"
#include "ui/app_context.h"
#include "ui/look/char_filter.h"
#include "ui/look/click_handler.h"
#include "ui/main/page_controls.h"
#include "ui/prompter.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>

namespace marloven {

GameOptionsPage::GameOptionsPage(AppContext& context) : context_(context), store_(context.store) {
    setObjectName("GameOptionsPage");
    AddLabel(this, "Ticdup:", 8, 12);
    ticDupCombo =
        AddList(this, "TicDup", {"Default", "Ticdup 2", "Ticdup 4", "Ticdup 8"}, 48, 8, 89);
    ticDupCombo->setEditable(true);
    ticDupCombo->setInsertPolicy(QComboBox::NoInsert);
    noPredictionCheck =
        AddCheck(this, "NetPred", "Disable Net Prediction ", 152, 10, 137, kNetPredTickedOnOpening);
    recordDemoCheck = AddCheck(this, "RecordDemo", "Record Demo", 300, 10, 93, false);

    AddNote(this, "These settings are only used when you are recording a demo. ", 8, 38, 385, 16);
    AddLabel(this, "Starting Level", 8, 58);
    levelCombo = AddList(
        this, "StartLevel",
        {"Ashfall Gate", "The Sunken Vaults", "Marrow Foundry", "Throne of Kaboro"}, 8, 74, 185);
    AddLabel(this, "Skill Level", 208, 58);
    skillCombo = AddList(this, "StartSkill",
                         {"Gentle Stroll", "Fair Fight", "Hard Steel", "No Mercy"}, 208, 74, 185);
    skillCombo->setEditable(true);
    skillCombo->setInsertPolicy(QComboBox::NoInsert);
    BuildMouseGroup();

    // The first level and the third skill until the player chooses.
    levelCombo->setCurrentIndex(0);
    skillCombo->setCurrentIndex(2);
    DiscardTypedKeys(levelCombo);

    // Lists answer "activated": the player's own choice, not a change made by the program.
    connect(ticDupCombo, &QComboBox::activated, this, &GameOptionsPage::StoreTicDup);
    connect(noPredictionCheck, &QCheckBox::clicked, this, &GameOptionsPage::StorePrediction);
    connect(tweakMouseCheck, &QCheckBox::clicked, this, &GameOptionsPage::TweakMouse);
    OnClick(mouseHorizontalEdit, [this] { StoreMouseHorizontal(); });
    OnClick(mouseVerticalEdit, [this] { StoreMouseVertical(); });
}

void GameOptionsPage::BuildMouseGroup() {
    auto* mouse = Place(new QGroupBox(this), "MouseGroup", 8, 104, 385, 121);
    AddNote(mouse,
            "Marloven can tweak your mouse settings in the DOS box to alter the horziontal and "
            "vertical acceleration.",
            8, 10, 369, 32);
    tweakMouseCheck = AddCheck(mouse, "SetMouse", "Tweek Mouse Settings", 8, 52, 161, false);
    AddLabel(mouse, "Horz. Setting", 8, 86);
    mouseHorizontalEdit = AddEdit(mouse, "SmHorz", cfg_default::kSmHorz, 88, 82, 57);
    AddLabel(mouse, "Vert. Setting", 176, 86);
    mouseVerticalEdit = AddEdit(mouse, "SMVert", cfg_default::kSmVert, 256, 82, 57);
    mouseHorizontalEdit->setEnabled(false);
    mouseVerticalEdit->setEnabled(false);
}

void GameOptionsPage::Load(const MainSettings& settings) {
    const auto filling = store_.Filling();
    tweakMouseCheck->setChecked(settings.setMouse);
    mouseHorizontalEdit->setText(FromBytes(settings.smHorz));
    mouseVerticalEdit->setText(FromBytes(settings.smVert));
    Select(ticDupCombo, settings.ticDup);
    mouseHorizontalEdit->setEnabled(tweakMouseCheck->isChecked());
    mouseVerticalEdit->setEnabled(tweakMouseCheck->isChecked());
}

GameOptions GameOptionsPage::Gather() const {
    GameOptions options;
    options.netPred = noPredictionCheck->isChecked();
    options.recordDemo = recordDemoCheck->isChecked();
    options.levelPosition = ListPosition(levelCombo);
    options.skillPosition = ListPosition(skillCombo);
    options.ticDupPosition = ListPosition(ticDupCombo);
    return options;
}

bool GameOptionsPage::WriteMouseTweak(std::string& program, const std::string& arguments) {
    const MouseTweakOrder order{program, arguments, ToBytes(mouseHorizontalEdit->text()),
                                ToBytes(mouseVerticalEdit->text())};
    if (const std::error_code error = WriteMouseTweakFile(context_.startDir, order)) {
        context_.prompter.ShowError(MessageText(DescribeWriteError(error)));
        return false;
    }
    program = kMouseTweakProgram;
    return true;
}

void GameOptionsPage::StoreTicDup(int position) {
    store_.Set(cfg_key::kTicDup, QString::number(position), false);
}

void GameOptionsPage::StorePrediction(bool ticked) {
    store_.Set(cfg_key::kUsePred, ticked ? "1" : "0", false);
}

void GameOptionsPage::TweakMouse(bool ticked) {
    mouseHorizontalEdit->setEnabled(ticked);
    mouseVerticalEdit->setEnabled(ticked);
    store_.Set(cfg_key::kSetMouse, ticked ? "1" : "0", false);
    if (ticked) {
        StoreMouseHorizontal();
        StoreMouseVertical();
    }
}

void GameOptionsPage::StoreMouseHorizontal() {
    store_.Set(cfg_key::kSmHorz, mouseHorizontalEdit->text(), false);
}

void GameOptionsPage::StoreMouseVertical() {
    store_.Set(cfg_key::kSmVert, mouseVerticalEdit->text(), false);
}

} // namespace marloven
