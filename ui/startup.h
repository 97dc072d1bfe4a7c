// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>

namespace marloven {

struct AppContext;
class CommandLineView;
class DosboxDialog;
class LinkDialog;
class AboutBox;
class PickOpponentDialog;
class PhonebookEntryDialog;
class MacroDialog;
class MainWindow;
class MeetingPlaceDialog;
class PlayersDialog;
class SelectModemDialog;
class ConfigViewer;

// The launcher's eight forms, created once at start in this order and kept until the
// program ends, and our own dialogs after them, likewise built once and shown again
// and again. The main window reaches the others through here.
struct Forms {
    Forms();
    ~Forms();
    Forms(const Forms&) = delete;
    Forms& operator=(const Forms&) = delete;

    std::unique_ptr<MainWindow> mainWindow;
    std::unique_ptr<SelectModemDialog> selectModem;
    std::unique_ptr<PlayersDialog> players;
    std::unique_ptr<ConfigViewer> configViewer;
    std::unique_ptr<AboutBox> aboutBox;
    std::unique_ptr<PhonebookEntryDialog> phonebookEntry;
    std::unique_ptr<MacroDialog> macroDialog;
    std::unique_ptr<PickOpponentDialog> pickOpponent;
    // Ours: how a start through DOSBox meets the other players, the DOSBox options, the
    // command line of each start and the meeting place.
    std::unique_ptr<LinkDialog> link;
    std::unique_ptr<DosboxDialog> dosbox;
    std::unique_ptr<CommandLineView> commandLine;
    std::unique_ptr<MeetingPlaceDialog> meetingPlace;
};

std::unique_ptr<Forms> CreateForms(AppContext& context);

// Records the game directory (the current directory), removes the temporary files that
// an ended launcher's saves left there, and makes sure VK.CFG is there,
// offering the game's SETUP.EXE for as long as it is not. False when the player
// declines: the launcher then ends at once with exit code 1.
bool StartupChecks(AppContext& context, Forms& forms);

// Everything before the message loop: the checks, the settings, the start-up sound and
// the main window. False when the player declined setup.
bool StartLauncher(AppContext& context, Forms& forms);

} // namespace marloven
