// SPDX-License-Identifier: GPL-3.0-or-later
// Draws every window of the launcher offscreen into PNG files, over a sample game
// directory, for the README, for checking the layout by eye and for the tests that
// compare the windows with their pictures under tests/windows.
//
//   QT_QPA_PLATFORM=offscreen render_windows [--game-dir DIR] OUTPUT-DIRECTORY
//
// The sample game directory is a fresh temporary one, or DIR, which is made when
// missing and left behind: the demo page shows its path, so pictures that are to be
// the same on every machine need a directory of the same name everywhere. Several runs
// may share DIR at once, as each replaces its files whole with the same bytes.

#include "core/cfg_store.h"
#include "launcher/game_runner.h"
#include "launcher/launcher_settings.h"
#include "platform/sound_player.h"
#include "qt_text/text_conversions.h"
#include "tools/assets/star_gif.h"
#include "ui/app_context.h"
#include "ui/dialogs/about_box.h"
#include "ui/dialogs/config_viewer.h"
#include "ui/dialogs/link_dialog.h"
#include "ui/dialogs/macro_dialog.h"
#include "ui/dialogs/meeting_place_dialog.h"
#include "ui/dialogs/phonebook_entry_dialog.h"
#include "ui/dialogs/pick_opponent_dialog.h"
#include "ui/dialogs/players_dialog.h"
#include "ui/dialogs/select_modem_dialog.h"
#include "ui/main/main_window.h"
#include "ui/prompter.h"
#include "ui/startup.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QSaveFile>
#include <QTabWidget>
#include <QTemporaryDir>
#include <cstdio>

namespace {

// Nothing is started and nothing is heard while the windows are drawn.
class NoRunner : public marloven::GameRunner {
  public:
    marloven::RunResult Run(const marloven::GameStart&) override {
        return marloven::RunOutcome::NotFound;
    }
};

class NoSound : public marloven::SoundPlayer {
  public:
    void PlayAsync(const std::string&) override {}
    void PlaySync(const std::string&) override {}
};

constexpr const char* kSampleConfig = "; Velkaran configuration\r\n"
                                      "PlayerName = \"Kestrel\"\r\n"
                                      "NetColor = 6\r\n"
                                      "ComPort = 2\r\n"
                                      "PortSpeed = 57600\r\n"
                                      "InitString = \"AT&F1\"\r\n"
                                      "HangupString = \"ATH0=0\"\r\n"
                                      "DialOutString = \"\"\r\n"
                                      "TicDup = 2\r\n"
                                      "CommbatMacro#0 = \"Cover me!\"\r\n"
                                      "CommbatMacro#1 = \"Regroup at the gate\"\r\n"
                                      "CommbatMacro#2 = \"Need ammo\"\r\n"
                                      "CommbatMacro#5 = \"Well fought\"\r\n";

bool Save(QWidget& window, const QDir& out, const QString& name) {
    window.show();
    QApplication::processEvents();
    const bool saved = window.grab().save(out.filePath(name + ".png"));
    window.hide();
    if (!saved) {
        std::fprintf(stderr, "render_windows: cannot write %s.png\n", name.toLocal8Bit().data());
    }
    return saved;
}

bool WriteFile(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Marloven");
    QStringList arguments = QApplication::arguments().mid(1);
    QString givenGameDir;
    if (arguments.size() == 3 && arguments.front() == "--game-dir") {
        givenGameDir = arguments.at(1);
        arguments = arguments.mid(2);
    }
    if (arguments.size() != 1) {
        std::fputs("Usage: render_windows [--game-dir DIR] OUTPUT-DIRECTORY\n", stderr);
        return 2;
    }
    // Named from where the tool was started, before it moves into the game directory.
    const QDir out(QDir::current().absoluteFilePath(arguments.front()));
    QTemporaryDir temporary;
    const QDir game(givenGameDir.isEmpty() ? temporary.path() : givenGameDir);
    if (!out.mkpath(".") || !game.mkpath(".") || (givenGameDir.isEmpty() && !temporary.isValid())) {
        std::fputs("render_windows: cannot prepare the directories\n", stderr);
        return 1;
    }
    // The windows read their star from the current directory, the game's.
    if (!WriteFile(game.filePath("VK.CFG"), kSampleConfig) ||
        !WriteFile(game.filePath("star.gif"),
                   QByteArray::fromStdString(marloven::star::StarGif(0))) ||
        !QDir::setCurrent(game.absolutePath())) {
        std::fputs("render_windows: cannot lay out the sample game directory\n", stderr);
        return 1;
    }

    const std::filesystem::path gameDir = marloven::PathFromQString(game.absolutePath());
    marloven::CfgStore store(gameDir);
    marloven::QtPrompter prompter;
    NoRunner runner;
    NoSound sound;
    // Settings of its own, so that drawing never reads or writes the player's.
    marloven::LauncherSettings settings(temporary.filePath("marloven.ini"));
    marloven::AppContext context{gameDir, store, prompter, runner, sound, settings};
    const auto forms = marloven::CreateForms(context);
    marloven::MainWindow& main = *forms->mainWindow;
    if (!main.LoadSettings()) {
        return 1;
    }

    const QString pages[] = {"main-window", "main-window-user-map", "main-window-demo",
                             "main-window-macros", "main-window-modem"};
    bool ok = true;
    for (int i = 0; i < main.pages->count(); ++i) {
        main.pages->setCurrentIndex(i);
        ok = Save(main, out, pages[i]) && ok;
    }
    main.pages->setCurrentIndex(0);
    ok = Save(*forms->configViewer, out, "cfg-viewer") && ok;
    ok = Save(*forms->aboutBox, out, "about-box") && ok;
    ok = Save(*forms->selectModem, out, "select-modem") && ok;
    ok = Save(*forms->players, out, "number-of-players") && ok;
    ok = Save(*forms->phonebookEntry, out, "edit-entry") && ok;
    ok = Save(*forms->macroDialog, out, "edit-macro") && ok;
    ok = Save(*forms->pickOpponent, out, "pick-opponent") && ok;
    // Made-up addresses, so the pictures do not depend on this machine's.
    const std::vector<std::string> addresses{"127.0.0.1", "192.168.1.20"};
    forms->link->Prepare({marloven::LaunchMode::Answer,
                          1,
                          marloven::LinkSide::Host,
                          {{}, marloven::kDefaultModemListenPort, false}},
                         addresses);
    ok = Save(*forms->link, out, "answer-link") && ok;
    forms->link->Prepare({marloven::LaunchMode::Network,
                          -1,
                          marloven::LinkSide::Join,
                          {"203.0.113.7", marloven::kDefaultIpxPort, false}},
                         addresses);
    ok = Save(*forms->link, out, "network-link") && ok;
    // Hosting with a meeting place named; one on this machine, so that nothing is looked up.
    marloven::InternetLink hosting{marloven::LaunchMode::AlreadyConnected,
                                   0,
                                   marloven::LinkSide::Host,
                                   {{}, marloven::kDefaultNullModemPort, false}};
    hosting.meetingPlace = marloven::LinkAddress{"127.0.0.1", 1, false};
    forms->link->Prepare(hosting, addresses);
    ok = Save(*forms->link, out, "cable-host-link") && ok;
    forms->meetingPlace->meetServerEdit->setText("meet.example.org:1883");
    ok = Save(*forms->meetingPlace, out, "meeting-place") && ok;
    return ok ? 0 : 1;
}
