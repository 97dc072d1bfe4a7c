#include "ui/dosbox_dialog.h"

#include "platform/dos_engine.h"
#include "ui/dosbox_options.h"
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
                         : "Found on the search path: " + QString::fromLocal8Bit(found);
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

    OKButton = AddButton(this, "OkButton", "OK", kWidth - 2 * kMargin - 150, 203);
    OKButton->setDefault(true);
    QPushButton* cancel = AddButton(this, "CancelButton", "Cancel", kWidth - kMargin - 75, 203);

    connect(BrowseDosbox, &QPushButton::clicked, this, [this] { Browse(DosboxPath); });
    connect(BrowseConfiguration, &QPushButton::clicked, this,
            [this] { Browse(PlayersConfiguration); });
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void DosboxDialog::Load(const DosboxSettings& settings) {
    DosboxPath->setText(QString::fromLocal8Bit(settings.dosboxPath));
    Use->setCurrentIndex(static_cast<int>(settings.use));
    FullScreen->setChecked(settings.fullScreen);
    PlayersConfiguration->setText(QString::fromLocal8Bit(settings.playersConfiguration));
}

DosboxSettings DosboxDialog::Settings() const {
    DosboxSettings settings;
    settings.dosboxPath = DosboxPath->text().trimmed().toLocal8Bit().toStdString();
    settings.use = static_cast<DosboxUse>(Use->currentIndex());
    settings.fullScreen = FullScreen->isChecked();
    settings.playersConfiguration =
        PlayersConfiguration->text().trimmed().toLocal8Bit().toStdString();
    return settings;
}

void DosboxDialog::Browse(QLineEdit* box) {
    const QString current = box->text().trimmed();
    const QString directory = current.isEmpty() ? QString() : QFileInfo(current).absolutePath();
    if (const auto chosen = prompter_.AskOpenFileName(directory, QString())) {
        box->setText(*chosen);
    }
}

void EditDosboxSettings(DosboxDialog& dialog) {
    dialog.Load(LoadDosboxSettings());
    if (dialog.exec() == QDialog::Accepted) {
        SaveDosboxSettings(dialog.Settings());
    }
}

} // namespace marloven
