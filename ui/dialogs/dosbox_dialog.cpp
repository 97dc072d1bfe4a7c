// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/dialogs/dosbox_dialog.h"

#include "launcher/dos_engine.h"
#include "launcher/dosbox_options.h"
#include "launcher/text_conversions.h"
#include "ui/prompter.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>

namespace marloven {

namespace {

constexpr int kWidth = 420;
constexpr int kMargin = 8;
constexpr int kBoxWidth = kWidth - 3 * kMargin - 75;

// The list's items in the order of DosboxUse.
const char* const kUseItems[] = {"Automatic: where this system cannot run them", "Always", "Never"};

QLineEdit* AddPathBox(QWidget* parent, const char* name, int y) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setGeometry(kMargin, y, kBoxWidth, 23);
    PaintLimeOnBlack(box);
    return box;
}

QString SearchPathNote() {
    const std::string found = FindDosbox({});
    return found.empty() ? QStringLiteral("Not found on the search path")
                         : "Found on the search path: " + MessageText(found);
}

} // namespace

DosboxDialog::DosboxDialog(Prompter& prompter, QWidget* parent)
    : FixedDialog("DOSBox", {kWidth, 236}, parent), prompter_(prompter) {
    AddCaption(this, "DOSBox program", {kMargin, 8, kBoxWidth, 18}, 10);
    DosboxPath = AddPathBox(this, "DosboxPath", 28);
    DosboxPath->setPlaceholderText(SearchPathNote());
    BrowseDosbox = AddButton(this, "BrowseDosbox", "Browse", kWidth - kMargin - 75, 27);

    AddCaption(this, "Use DOSBox for DOS programs", {kMargin, 62, kBoxWidth, 18}, 10);
    Use = new QComboBox(this);
    Use->setObjectName("Use");
    Use->setGeometry(kMargin, 82, kBoxWidth, 23);
    for (const char* item : kUseItems) {
        Use->addItem(item);
    }
    FullScreen = new QCheckBox("Full screen (otherwise a window)", this);
    FullScreen->setObjectName("FullScreen");
    FullScreen->setGeometry(kMargin, 114, kBoxWidth, 20);
    FullScreen->setStyleSheet("QCheckBox { color: white; }");

    AddCaption(this, "Your own DOSBox configuration file, read after Marloven's",
               {kMargin, 144, kWidth - 2 * kMargin, 18}, 10);
    PlayersConfiguration = AddPathBox(this, "PlayersConfiguration", 164);
    PlayersConfiguration->setPlaceholderText("None");
    BrowseConfiguration =
        AddButton(this, "BrowseConfiguration", "Browse", kWidth - kMargin - 75, 163);

    const OkCancel buttons =
        AddOkCancel(kWidth - 2 * kMargin - 150, kWidth - kMargin - 75, 203, DosboxPath);
    OKButton = buttons.ok;
    CancelButton = buttons.cancel;

    connect(BrowseDosbox, &QPushButton::clicked, this, [this] { Browse(DosboxPath); });
    connect(BrowseConfiguration, &QPushButton::clicked, this,
            [this] { Browse(PlayersConfiguration); });
}

void DosboxDialog::Load(const DosboxSettings& settings) {
    DosboxPath->setText(MessageText(settings.dosboxPath));
    Use->setCurrentIndex(static_cast<int>(settings.use));
    FullScreen->setChecked(settings.fullScreen);
    PlayersConfiguration->setText(MessageText(settings.playersConfiguration));
}

DosboxSettings DosboxDialog::Settings() const {
    DosboxSettings settings;
    settings.dosboxPath = NarrowText(DosboxPath->text().trimmed());
    settings.use = static_cast<DosboxUse>(Use->currentIndex());
    settings.fullScreen = FullScreen->isChecked();
    settings.playersConfiguration = NarrowText(PlayersConfiguration->text().trimmed());
    return settings;
}

void DosboxDialog::Browse(QLineEdit* box) {
    const QString current = box->text().trimmed();
    const QString directory = current.isEmpty() ? QString() : QFileInfo(current).absolutePath();
    if (const auto chosen = prompter_.AskOpenFileName(directory, QString())) {
        box->setText(*chosen);
    }
}

void EditDosboxSettings(DosboxDialog& dialog, LauncherSettings& settings) {
    dialog.Load(LoadDosboxSettings(settings));
    if (dialog.exec() == QDialog::Accepted) {
        SaveDosboxSettings(settings, dialog.Settings());
    }
}

} // namespace marloven
