// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/main/demo_page.h"

#include "core/demo_files.h"
#include "core/launch.h"
#include "qt_text/text_conversions.h"
#include "ui/app_context.h"
#include "ui/look/look.h"
#include "ui/main/demo_browser.h"
#include "ui/main/page_controls.h"
#include "ui/prompter.h"
#include "ui/starts/launch.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace marloven {

DemoPage::DemoPage(AppContext& context) : context_(context) {
    setObjectName("DemoPage");
    AddLabel(this, "Name:", 8, 8);
    demoNameEdit = AddEdit(this, "DemoName", kDemoMask, 8, 24, 169);
    demoFileList = Place(new QListWidget(this), "DemoFileList", 8, 50, 169, 177);
    directoryLabel = Place(new QLabel(this), "DemoDirLabel", 192, 8, 201, 14);
    directoryLabel->setEnabled(false);
    directoryList = Place(new QListWidget(this), "DemoDirList", 192, 24, 201, 137);
    driveCombo = AddList(this, "DemoDriveBox", {}, 192, 168, 201);
    playDemoButton = AddButton(this, "Button3", "Play Selected Demo", 272, 202, 121);

    browser_ =
        new DemoBrowser({demoNameEdit, demoFileList, directoryList, driveCombo, directoryLabel},
                        context_.startDir, this);
    connect(playDemoButton, &QPushButton::clicked, this, &DemoPage::PlaySelectedDemo);
}

std::filesystem::path DemoPage::Directory() const {
    return browser_->Directory();
}

void DemoPage::SetDirectory(const std::filesystem::path& directory) {
    browser_->SetDirectory(directory);
}

void DemoPage::SaveRecordedDemo() {
    SaveFileRequest request;
    request.directory = QStringFromPath(browser_->Directory());
    request.defaultSuffix = "DMO";
    request.confirmOverwrite = true;
    const auto chosen = context_.prompter.AskSaveFileName(request);
    if (!chosen || chosen->isEmpty()) {
        return;
    }
    if (!context_.prompter.AskYesNo("You have recorded a demo.  Do you wish to save it?")) {
        return;
    }
    const QString target = QDir::toNativeSeparators(*chosen);
    switch (SaveRecordedDemoTo(context_.startDir, PathFromQString(*chosen),
                               SystemDemoFileOperations())) {
    case DemoSaveResult::Saved:
        break;
    case DemoSaveResult::NoRecording:
        context_.prompter.Inform(
            QString("No demo was recorded, so nothing was saved to %1.").arg(target));
        break;
    case DemoSaveResult::CopyFailed:
        context_.prompter.Inform(
            QString("The demo could not be saved to %1. The recording stays in %2.")
                .arg(target, kRecordedDemoName));
        break;
    }
    browser_->ReadFileList();
}

void DemoPage::EnableBrowsing(bool ticked) {
    for (QWidget* control :
         {static_cast<QWidget*>(demoNameEdit), static_cast<QWidget*>(demoFileList),
          static_cast<QWidget*>(directoryList), static_cast<QWidget*>(driveCombo),
          static_cast<QWidget*>(directoryLabel)}) {
        control->setEnabled(ticked);
    }
}

void DemoPage::PlaySelectedDemo() {
    // The main window, not the page, steps aside while the game runs.
    PlayDemo(browser_->Directory(), PathFromQString(demoNameEdit->text()),
             SystemDemoFileOperations(),
             [this] { RunProgram(context_, window(), kGameProgram, ""); });
}

} // namespace marloven
