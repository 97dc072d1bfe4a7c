// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/main/demo_browser.h"

#include "core/demo_files.h"
#include "qt_text/text_conversions.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QStyle>

namespace marloven {

namespace fs = std::filesystem;

namespace {

constexpr int kPathRole = Qt::UserRole;

bool HasDriveLetter(const QString& root) {
    static const QRegularExpression kDrive("^[A-Za-z]:/?$");
    return kDrive.match(root).hasMatch();
}

// Where removable and extra disks appear on systems without drive letters.
QStringList MountedMedia() {
    QStringList media;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        const QString root = volume.rootPath();
        if (volume.isValid() && volume.isReady() &&
            (root.startsWith("/media/") || root.startsWith("/mnt/") ||
             root.startsWith("/run/media/") || root.startsWith("/Volumes/"))) {
            media << root;
        }
    }
    return media;
}

QStringList SystemPlaces(const fs::path& gameDir) {
    QStringList roots;
    for (const QFileInfo& drive : QDir::drives()) {
        roots << drive.absoluteFilePath();
    }
    QStringList places = {QDir::homePath(), QStringFromPath(gameDir)};
    places << MountedMedia();
    return DrivePlaces(roots, places);
}

// A drive root keeps its slash: "C:" alone would name the drive's current directory.
QString CleanPlace(const QString& place) {
    const QString path = QDir::fromNativeSeparators(place);
    return HasDriveLetter(path) ? path.left(2) + '/' : QDir::cleanPath(path);
}

bool LiesIn(const QString& directory, const QString& place) {
    const QString prefix = place.endsWith('/') ? place : place + '/';
    return directory == place || directory.startsWith(prefix);
}

} // namespace

QStringList DrivePlaces(const QStringList& roots, const QStringList& places) {
    QStringList offered;
    const bool driveLetters = !roots.isEmpty() && HasDriveLetter(roots.front());
    for (const QString& place : driveLetters ? roots : roots + places) {
        const QString clean = CleanPlace(place);
        if (!clean.isEmpty() && !offered.contains(clean)) {
            offered << clean;
        }
    }
    return offered;
}

int PlaceOf(const QStringList& places, const QString& directory) {
    const QString clean = CleanPlace(directory);
    int best = -1;
    for (int i = 0; i < places.size(); ++i) {
        if (LiesIn(clean, places[i]) && (best < 0 || places[i].size() > places[best].size())) {
            best = i;
        }
    }
    return best;
}

DemoBrowser::DemoBrowser(const Controls& controls, const fs::path& start, QObject* parent)
    : QObject(parent), controls_(controls) {
    for (const QString& place : SystemPlaces(start)) {
        controls_.drives->addItem(QDir::toNativeSeparators(place), place);
    }
    connect(controls_.files, &QListWidget::itemSelectionChanged, this, &DemoBrowser::FileChosen);
    connect(controls_.directories, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) {
                SetDirectory(PathFromQString(item->data(kPathRole).toString()));
            });
    connect(controls_.drives, &QComboBox::activated, this, &DemoBrowser::DriveChosen);
    SetDirectory(start);
}

bool DemoBrowser::SetDirectory(const fs::path& directory) {
    const QDir chosen(QStringFromPath(directory));
    if (!chosen.exists() || !chosen.isReadable()) {
        return false;
    }
    directory_ = PathFromQString(QDir::cleanPath(chosen.absolutePath()));
    const QString shown = QDir::toNativeSeparators(QStringFromPath(directory_));
    QLabel* label = controls_.label;
    label->setText(label->fontMetrics().elidedText(shown, Qt::ElideMiddle, label->width()));
    label->setToolTip(shown);
    ReadDirectoryList();
    ShowDriveOf();
    // A file chosen in the old directory is no choice here, even where a file of the
    // same name lies: the list is read anew and the name box shows the mask.
    {
        const QSignalBlocker quiet(controls_.files);
        controls_.files->clear();
    }
    ReadFileList();
    return true;
}

void DemoBrowser::ReadFileList() {
    QListWidget* files = controls_.files;
    const QString chosen = files->currentItem() && files->currentItem()->isSelected()
                               ? files->currentItem()->text()
                               : QString();
    {
        const QSignalBlocker quiet(files);
        files->clear();
        // Case does not matter to the mask, as on the systems the game comes from.
        files->addItems(QDir(QStringFromPath(directory_))
                            .entryList({kDemoMask}, QDir::Files, QDir::Name | QDir::IgnoreCase));
        const auto same = files->findItems(chosen, Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (!chosen.isEmpty() && !same.isEmpty()) {
            files->setCurrentItem(same.front());
            return;
        }
    }
    controls_.name->setText(kDemoMask);
}

void DemoBrowser::ReadDirectoryList() {
    QListWidget* list = controls_.directories;
    list->clear();
    const QIcon open = QApplication::style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = QApplication::style()->standardIcon(QStyle::SP_DirIcon);
    const auto add = [list](const QIcon& icon, const QString& text, const QString& path,
                            int depth) {
        auto* item = new QListWidgetItem(icon, QString(qsizetype{2} * depth, u' ') + text, list);
        item->setData(kPathRole, path);
        return item;
    };
    // The way down from the root, then the directory's own subdirectories.
    QStringList ancestors;
    for (QDir dir(QStringFromPath(directory_));;) {
        ancestors.prepend(dir.absolutePath());
        if (!dir.cdUp()) {
            break;
        }
    }
    QListWidgetItem* current = nullptr;
    for (int depth = 0; depth < ancestors.size(); ++depth) {
        const QString& path = ancestors[depth];
        const QString name = depth == 0 ? QDir::toNativeSeparators(path) : QDir(path).dirName();
        current = add(open, name, path, depth);
    }
    const QDir here(QStringFromPath(directory_));
    for (const QString& child :
         here.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase)) {
        add(closed, child, here.absoluteFilePath(child), static_cast<int>(ancestors.size()));
    }
    list->setCurrentItem(current);
}

void DemoBrowser::ShowDriveOf() {
    QStringList places;
    for (int i = 0; i < controls_.drives->count(); ++i) {
        places << controls_.drives->itemData(i).toString();
    }
    controls_.drives->setCurrentIndex(PlaceOf(places, QStringFromPath(directory_)));
}

void DemoBrowser::FileChosen() {
    const auto chosen = controls_.files->selectedItems();
    if (chosen.isEmpty()) {
        return;
    }
    controls_.name->setText(chosen.front()->text());
    controls_.name->selectAll();
}

void DemoBrowser::DriveChosen(int position) {
    if (!SetDirectory(PathFromQString(controls_.drives->itemData(position).toString()))) {
        ShowDriveOf(); // a drive that is not ready: stay where we were
    }
}

} // namespace marloven
