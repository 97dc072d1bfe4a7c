// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/look/dialog_look.h"

class QLineEdit;
class QPushButton;

namespace marloven {

class LauncherSettings;
class Prompter;

// "Options > Meeting Place...": the server where players beyond the home network find
// each other's games, as "host:port". Empty at first, so that nothing leaves this machine
// for a meeting place until the player names one.
class MeetingPlaceDialog : public FixedDialog {
    Q_OBJECT
  public:
    explicit MeetingPlaceDialog(Prompter& prompter, QWidget* parent = nullptr);

    QLineEdit* meetServerEdit = nullptr;
    QPushButton* okButton = nullptr;
    QPushButton* cancelButton = nullptr;

  private:
    void Accept();

    Prompter& prompter_;
};

// Shows the dialog with the stored server and stores what the player accepts, written the
// way the launcher reads it back ("host:port").
void EditMeetingPlace(MeetingPlaceDialog& dialog, LauncherSettings& settings);

} // namespace marloven
