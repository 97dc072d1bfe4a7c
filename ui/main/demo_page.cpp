// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/main/demo_page.h"

#include "core/demo_files.h"
#include "core/launch.h"
#include "launcher/text_conversions.h"
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

TDemoPage::TDemoPage(AppContext& context) : context_(context) {
    setObjectName("DemoPage");
    AddLabel(this, "Name:", 8, 8);
    DemoName = AddEdit(this, "DemoName", kDemoMask, 8, 24, 169);
    DemoFileList = Place(new QListWidget(this), "DemoFileList", 8, 50, 169, 177);
    DemoDirLabel = Place(new QLabel(this), "DemoDirLabel", 192, 8, 201, 14);
    DemoDirLabel->setEnabled(false);
    DemoDirList = Place(new QListWidget(this), "DemoDirList", 192, 24, 201, 137);
    DemoDriveBox = AddList(this, "DemoDriveBox", {}, 192, 168, 201);
    Button3 = AddButton(this, "Button3", "Play Selected Demo", 272, 202, 121);

    browser_ = new DemoBrowser({DemoName, DemoFileList, DemoDirList, DemoDriveBox, DemoDirLabel},
                               context_.startDir, this);
    connect(Button3, &QPushButton::clicked, this, &TDemoPage::Button3Click);
}

std::filesystem::path TDemoPage::Directory() const {
    return browser_->Directory();
}

void TDemoPage::SetDirectory(const std::filesystem::path& directory) {
    browser_->SetDirectory(directory);
}

void TDemoPage::SaveRecordedDemo() {
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

void TDemoPage::RecordDemoClick(bool ticked) {
    for (QWidget* control :
         {static_cast<QWidget*>(DemoName), static_cast<QWidget*>(DemoFileList),
          static_cast<QWidget*>(DemoDirList), static_cast<QWidget*>(DemoDriveBox),
          static_cast<QWidget*>(DemoDirLabel)}) {
        control->setEnabled(ticked);
    }
}

void TDemoPage::Button3Click() {
    // The main window, not the page, steps aside while the game runs.
    PlayDemo(browser_->Directory(), PathFromQString(DemoName->text()), SystemDemoFileOperations(),
             [this] { RunProgram(context_, window(), kGameProgram, ""); });
}

} // namespace marloven
