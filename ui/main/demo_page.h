// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/main/page.h"

#include <filesystem>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace marloven {

struct AppContext;
class DemoBrowser;

// "Demo Playback": picks a demo file in a directory of the player's choice and plays
// it; also where a recorded demo is saved.
class DemoPage : public Page {
  public:
    explicit DemoPage(AppContext& context);
    // The demos are files of the game directory; nothing of the page is in VK.CFG.
    void Load(const MainSettings&) override {}

    // The directory the page shows and plays from (the game directory at first).
    std::filesystem::path Directory() const;
    void SetDirectory(const std::filesystem::path& directory);
    // After a start with "Record Demo" ticked: offers to save the recording under a name
    // of the player's choice, then lists the page's directory again.
    void SaveRecordedDemo();
    // "Record Demo" enables and disables the name box, the lists and the label.
    void EnableBrowsing(bool ticked);

    QLineEdit* demoNameEdit = nullptr;
    QListWidget* demoFileList = nullptr;
    QListWidget* directoryList = nullptr;
    QComboBox* driveCombo = nullptr;
    QLabel* directoryLabel = nullptr;
    QPushButton* playDemoButton = nullptr; // "Play Selected Demo"

  private:
    void PlaySelectedDemo();

    AppContext& context_;
    DemoBrowser* browser_ = nullptr;
};

} // namespace marloven
