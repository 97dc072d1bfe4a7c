// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/dosbox_settings.h"
#include "ui/look/dialog_look.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace marloven {

class LauncherSettings;
class Prompter;

// "Options > DOSBox...": which DOSBox runs the game's DOS programs, when, in full
// screen or a window, and an extra configuration file of the player's own.
class DosboxDialog : public FixedDialog {
    Q_OBJECT
  public:
    DosboxDialog(Prompter& prompter, QWidget* parent = nullptr);

    void Load(const DosboxSettings& settings);
    DosboxSettings Settings() const;

    QLineEdit* dosboxPathEdit = nullptr;
    QPushButton* browseDosboxButton = nullptr;
    // The DOSBox a start would use, and its version.
    QLabel* usedLabel = nullptr;
    QComboBox* useCombo = nullptr;
    QCheckBox* fullScreenCheck = nullptr;
    QLineEdit* playersConfigurationEdit = nullptr;
    QPushButton* browseConfigurationButton = nullptr;
    QPushButton* okButton = nullptr;
    QPushButton* cancelButton = nullptr;

  private:
    void Accept();
    void Browse(QLineEdit* box);

    Prompter& prompter_;
};

// Shows the dialog with the stored settings and stores what the player accepts.
void EditDosboxSettings(DosboxDialog& dialog, LauncherSettings& settings);

} // namespace marloven
