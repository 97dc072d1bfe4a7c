// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/main/page.h"

#include "core/launch.h"
#include "ui/main/store_writer.h"

#include <string>

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace marloven {

struct AppContext;
struct MainSettings;

// "Game Options": the switches a start passes to the game, and the mouse tweak.
class GameOptionsPage : public Page {
  public:
    explicit GameOptionsPage(AppContext& context);

    // Fills the ticdup list and the mouse tweak from the store's values.
    void Load(const MainSettings& settings) override;
    // The game options the launch reads, as the player has set them now.
    GameOptions Gather() const;
    // Writes VKSETMS.DAT for the start of program with arguments and puts the mouse
    // tweak program in its place; false, after saying why, when the file cannot be
    // written.
    bool WriteMouseTweak(std::string& program, const std::string& arguments);

    QComboBox* ticDupCombo = nullptr;
    QCheckBox* noPredictionCheck = nullptr;
    QCheckBox* recordDemoCheck = nullptr;
    QComboBox* levelCombo = nullptr;
    QComboBox* skillCombo = nullptr;
    QCheckBox* tweakMouseCheck = nullptr;
    QLineEdit* mouseHorizontalEdit = nullptr;
    QLineEdit* mouseVerticalEdit = nullptr;

  private:
    void BuildMouseGroup();
    void StoreTicDup(int position);
    void StorePrediction(bool ticked);
    void TweakMouse(bool ticked);
    void StoreMouseHorizontal();
    void StoreMouseVertical();

    AppContext& context_;
    StoreWriter store_;
};

} // namespace marloven
