// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QStringList>
#include <filesystem>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;

namespace marloven {

// The browsing half of the demo page: the demo files ("*.dmo") of one directory, a
// directory list, a drive box and a label, all following that directory. Browsing
// never changes the launcher's own working directory.
class DemoBrowser : public QObject {
    Q_OBJECT
  public:
    struct Controls {
        QLineEdit* name;
        QListWidget* files;
        QListWidget* directories;
        QComboBox* drives;
        QLabel* label;
    };

    DemoBrowser(const Controls& controls, const std::filesystem::path& start,
                QObject* parent = nullptr);

    const std::filesystem::path& Directory() const { return directory_; }
    // Shows the directory with no file chosen; one that cannot be opened leaves
    // everything as it was.
    bool SetDirectory(const std::filesystem::path& directory);
    // Lists the directory's demos again. A chosen file still there stays chosen;
    // with nothing chosen the name box shows the mask.
    void ReadFileList();

  private:
    void ReadDirectoryList();
    void ShowDriveOf();
    void FileChosen();
    void DriveChosen(int position);

    Controls controls_;
    std::filesystem::path directory_;
};

// What the drive box offers: the drives where the system has drive letters; elsewhere
// the roots and the places a player keeps files in (home, the game directory, mounted
// media), each once.
QStringList DrivePlaces(const QStringList& roots, const QStringList& places);
// The place of a directory: the longest one it lies in, or -1.
int PlaceOf(const QStringList& places, const QString& directory);

} // namespace marloven
