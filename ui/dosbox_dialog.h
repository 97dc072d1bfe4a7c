#pragma once

#include "core/dosbox_settings.h"
#include "ui/dialog_look.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace marloven {

class Prompter;

// "Options > DOSBox...": which DOSBox runs the game's DOS programs, when, in full
// screen or a window, and an extra configuration file of the player's own.
class DosboxDialog : public FixedDialog {
    Q_OBJECT
  public:
    DosboxDialog(Prompter& prompter, QWidget* parent = nullptr);

    void Load(const DosboxSettings& settings);
    DosboxSettings Settings() const;

    QLineEdit* DosboxPath() const { return dosboxPath_; }
    QPushButton* BrowseDosbox() const { return browseDosbox_; }
    QComboBox* Use() const { return use_; }
    QCheckBox* FullScreen() const { return fullScreen_; }
    QLineEdit* PlayersConfiguration() const { return playersConfiguration_; }
    QPushButton* BrowseConfiguration() const { return browseConfiguration_; }
    QPushButton* OkButton() const { return ok_; }

  private:
    void Browse(QLineEdit* box);

    Prompter& prompter_;
    QLineEdit* dosboxPath_ = nullptr;
    QPushButton* browseDosbox_ = nullptr;
    QComboBox* use_ = nullptr;
    QCheckBox* fullScreen_ = nullptr;
    QLineEdit* playersConfiguration_ = nullptr;
    QPushButton* browseConfiguration_ = nullptr;
    QPushButton* ok_ = nullptr;
};

// Shows the dialog with the stored settings and stores what the player accepts.
void EditDosboxSettings(DosboxDialog& dialog);

} // namespace marloven
