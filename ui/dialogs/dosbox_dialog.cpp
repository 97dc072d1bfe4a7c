// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/dialogs/dosbox_dialog.h"

#include "launcher/dos_engine.h"
#include "launcher/dosbox_options.h"
#include "qt_text/text_conversions.h"
#include "ui/prompter.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
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

// Which DOSBox a start would use for the path in the box, and its version.
QString UsedDosbox(const QString& path) {
    DosboxSettings settings;
    settings.dosboxPath = NarrowText(path.trimmed());
    const std::string found = FindDosbox(settings);
    if (found.empty()) {
        return settings.dosboxPath.empty() ? QStringLiteral("Used: none found on the search path")
                                           : QStringLiteral("Used: none, no such file");
    }
    const std::string version = DosboxVersion(found);
    return "Used: " + MessageText(found) +
           (version.empty() ? QString() : " (" + MessageText(version) + ")");
}

} // namespace

DosboxDialog::DosboxDialog(Prompter& prompter, QWidget* parent)
    : FixedDialog("DOSBox", {kWidth, 256}, parent), prompter_(prompter) {
    AddCaption(this, "DOSBox program", {kMargin, 8, kBoxWidth, 18}, 10);
    dosboxPathEdit = AddPathBox(this, "DosboxPath", 28);
    dosboxPathEdit->setPlaceholderText("Empty: searched on the path");
    browseDosboxButton = AddButton(this, "BrowseDosbox", "Browse", kWidth - kMargin - 75, 27);
    usedLabel = new QLabel(this);
    usedLabel->setObjectName("Used");
    usedLabel->setGeometry(kMargin, 54, kWidth - 2 * kMargin, 18);
    usedLabel->setFont(SansFont(11, true));
    PaintTextColor(usedLabel, Qt::white);

    AddCaption(this, "Use DOSBox for DOS programs", {kMargin, 82, kBoxWidth, 18}, 10);
    useCombo = new QComboBox(this);
    useCombo->setObjectName("Use");
    useCombo->setGeometry(kMargin, 102, kBoxWidth, 23);
    for (const char* item : kUseItems) {
        useCombo->addItem(item);
    }
    fullScreenCheck = new QCheckBox("Full screen (otherwise a window)", this);
    fullScreenCheck->setObjectName("FullScreen");
    fullScreenCheck->setGeometry(kMargin, 134, kBoxWidth, 20);
    fullScreenCheck->setStyleSheet("QCheckBox { color: white; }");

    AddCaption(this, "Your own DOSBox configuration file, read after Marloven's",
               {kMargin, 164, kWidth - 2 * kMargin, 18}, 10);
    playersConfigurationEdit = AddPathBox(this, "PlayersConfiguration", 184);
    playersConfigurationEdit->setPlaceholderText("None");
    browseConfigurationButton =
        AddButton(this, "BrowseConfiguration", "Browse", kWidth - kMargin - 75, 183);

    const OkCancel buttons =
        AddOkCancel(kWidth - 2 * kMargin - 150, kWidth - kMargin - 75, 223, dosboxPathEdit, false);
    okButton = buttons.ok;
    cancelButton = buttons.cancel;

    connect(okButton, &QPushButton::clicked, this, &DosboxDialog::Accept);
    connect(dosboxPathEdit, &QLineEdit::editingFinished, this,
            [this] { usedLabel->setText(UsedDosbox(dosboxPathEdit->text())); });
    connect(browseDosboxButton, &QPushButton::clicked, this, [this] { Browse(dosboxPathEdit); });
    connect(browseConfigurationButton, &QPushButton::clicked, this,
            [this] { Browse(playersConfigurationEdit); });
}

void DosboxDialog::Load(const DosboxSettings& settings) {
    dosboxPathEdit->setText(MessageText(settings.dosboxPath));
    usedLabel->setText(UsedDosbox(dosboxPathEdit->text()));
    useCombo->setCurrentIndex(static_cast<int>(settings.use));
    fullScreenCheck->setChecked(settings.fullScreen);
    playersConfigurationEdit->setText(MessageText(settings.playersConfiguration));
}

DosboxSettings DosboxDialog::Settings() const {
    DosboxSettings settings;
    settings.dosboxPath = NarrowText(dosboxPathEdit->text().trimmed());
    settings.use = static_cast<DosboxUse>(useCombo->currentIndex());
    settings.fullScreen = fullScreenCheck->isChecked();
    settings.playersConfiguration = NarrowText(playersConfigurationEdit->text().trimmed());
    return settings;
}

// A path that names no file would leave every start refused: it is not taken.
void DosboxDialog::Accept() {
    for (const QLineEdit* box : {dosboxPathEdit, playersConfigurationEdit}) {
        const QString path = box->text().trimmed();
        if (!path.isEmpty() && !QFileInfo(path).isFile()) {
            prompter_.Inform(path + " was not found. Choose a file that is there, or leave the "
                                    "box empty.");
            return;
        }
    }
    accept();
}

void DosboxDialog::Browse(QLineEdit* box) {
    const QString current = box->text().trimmed();
    const QString directory = current.isEmpty() ? QString() : QFileInfo(current).absolutePath();
    if (const auto chosen = prompter_.AskOpenFileName(directory, QString())) {
        box->setText(*chosen);
        usedLabel->setText(UsedDosbox(dosboxPathEdit->text()));
    }
}

void EditDosboxSettings(DosboxDialog& dialog, LauncherSettings& settings) {
    dialog.Load(LoadDosboxSettings(settings));
    if (dialog.exec() == QDialog::Accepted) {
        SaveDosboxSettings(settings, dialog.Settings());
    }
}

} // namespace marloven
