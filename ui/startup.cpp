// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/startup.h"

#include "core/cfg_store.h"
#include "core/file_io.h"
#include "core/file_ops.h"
#include "core/game_file.h"
#include "launcher/router_port.h"
#include "ui/app_context.h"
#include "ui/dialogs/about_box.h"
#include "ui/dialogs/command_line_view.h"
#include "ui/dialogs/config_viewer.h"
#include "ui/dialogs/dosbox_dialog.h"
#include "ui/dialogs/link_dialog.h"
#include "ui/dialogs/macro_dialog.h"
#include "ui/dialogs/meeting_place_dialog.h"
#include "ui/dialogs/phonebook_entry_dialog.h"
#include "ui/dialogs/pick_opponent_dialog.h"
#include "ui/dialogs/players_dialog.h"
#include "ui/dialogs/select_modem_dialog.h"
#include "ui/main/main_window.h"
#include "ui/prompter.h"
#include "ui/starts/launch.h"

#include "platform/sound_player.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace marloven {

namespace {

// Calls back once, just after the window has painted itself for the first time, and
// then deletes itself.
class AfterFirstPaint : public QObject {
  public:
    AfterFirstPaint(QWidget& window, std::function<void()> callback)
        : QObject(&window), callback_(std::move(callback)) {
        window.installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            // Queued, so that the painting is on the screen first.
            QTimer::singleShot(0, parent(), std::move(callback_));
            deleteLater();
        }
        return false;
    }

  private:
    std::function<void()> callback_;
};

} // namespace

Forms::Forms() = default;
Forms::~Forms() = default;

std::unique_ptr<Forms> CreateForms(AppContext& context) {
    auto forms = std::make_unique<Forms>();
    forms->mainWindow = std::make_unique<MainWindow>(context, *forms);
    forms->selectModem = std::make_unique<SelectModemDialog>(context.prompter);
    forms->players = std::make_unique<PlayersDialog>();
    forms->configViewer = std::make_unique<ConfigViewer>(context.store);
    forms->aboutBox = std::make_unique<AboutBox>();
    forms->phonebookEntry = std::make_unique<PhonebookEntryDialog>();
    forms->macroDialog = std::make_unique<MacroDialog>();
    forms->pickOpponent = std::make_unique<PickOpponentDialog>(context.startDir, context.prompter,
                                                               *forms->phonebookEntry);
    forms->link = std::make_unique<LinkDialog>();
    forms->dosbox = std::make_unique<DosboxDialog>(context.prompter);
    forms->commandLine = std::make_unique<CommandLineView>();
    forms->meetingPlace = std::make_unique<MeetingPlaceDialog>(context.prompter);
    return forms;
}

bool StartupChecks(AppContext& context, Forms& forms) {
    context.startDir = std::filesystem::current_path();
    // A launcher killed in the middle of a save left its temporary file here.
    RemoveLeftoverTemporaries(context.startDir);
    while (!IsExistingFile(FindGameFile(context.startDir, CfgStore::kFileName))) {
        if (!context.prompter.AskYesNo("Velkaran's Configuration file was not found.  "
                                       "Do you wish to run setup?")) {
            return false;
        }
        RunProgram(context, forms.mainWindow.get(), kSetupProgram, "");
    }
    return true;
}

bool StartLauncher(AppContext& context, Forms& forms) {
    if (!StartupChecks(context, forms)) {
        return false;
    }
    // A port a crashed launcher left open on the router closes now, before anything
    // else is hosted; the router is given at most its bound.
    RemoveLeftoverMapping(context.settings);
    forms.mainWindow->LoadSettings();
    // The start-up sound follows the window's first painting: readying the sound system
    // takes longer than the rest of the start, and the player hears it all the same.
    // A window closed before its turn (an unattended run) has no sound to greet it.
    QWidget* window = forms.mainWindow.get();
    new AfterFirstPaint(*window, [&context, window] {
        if (window->isVisible()) {
            context.sound.PlayAsync(kStartupSound);
        }
    });
    forms.mainWindow->show();
    return true;
}

} // namespace marloven
