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
    dosboxPath_ = AddPathBox(this, "DosboxPath", 28);
    dosboxPath_->setPlaceholderText(SearchPathNote());
    browseDosbox_ = AddButton(this, "BrowseDosbox", "Browse", kWidth - kMargin - 75, 27);

    AddCaption(this, "Use DOSBox for DOS programs", {kMargin, 62, kBoxWidth, 18}, 10);
    use_ = new QComboBox(this);
    use_->setObjectName("Use");
    use_->setGeometry(kMargin, 82, kBoxWidth, 23);
    for (const char* item : kUseItems) {
        use_->addItem(item);
    }
    fullScreen_ = new QCheckBox("Full screen (otherwise a window)", this);
    fullScreen_->setObjectName("FullScreen");
    fullScreen_->setGeometry(kMargin, 114, kBoxWidth, 20);
    fullScreen_->setStyleSheet("QCheckBox { color: white; }");

    AddCaption(this, "Your own DOSBox configuration file, read after Marloven's",
               {kMargin, 144, kWidth - 2 * kMargin, 18}, 10);
    playersConfiguration_ = AddPathBox(this, "PlayersConfiguration", 164);
    playersConfiguration_->setPlaceholderText("None");
    browseConfiguration_ =
        AddButton(this, "BrowseConfiguration", "Browse", kWidth - kMargin - 75, 163);

    ok_ = AddButton(this, "OkButton", "OK", kWidth - 2 * kMargin - 150, 203);
    ok_->setDefault(true);
    QPushButton* cancel = AddButton(this, "CancelButton", "Cancel", kWidth - kMargin - 75, 203);

    connect(browseDosbox_, &QPushButton::clicked, this, [this] { Browse(dosboxPath_); });
    connect(browseConfiguration_, &QPushButton::clicked, this,
            [this] { Browse(playersConfiguration_); });
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void DosboxDialog::Load(const DosboxSettings& settings) {
    dosboxPath_->setText(QString::fromLocal8Bit(settings.dosboxPath));
    use_->setCurrentIndex(static_cast<int>(settings.use));
    fullScreen_->setChecked(settings.fullScreen);
    playersConfiguration_->setText(QString::fromLocal8Bit(settings.playersConfiguration));
}

DosboxSettings DosboxDialog::Settings() const {
    DosboxSettings settings;
    settings.dosboxPath = dosboxPath_->text().trimmed().toLocal8Bit().toStdString();
    settings.use = static_cast<DosboxUse>(use_->currentIndex());
    settings.fullScreen = fullScreen_->isChecked();
    settings.playersConfiguration =
        playersConfiguration_->text().trimmed().toLocal8Bit().toStdString();
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
