// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/cfg_store.h"
#include "tests/support/fake_game_runner.h"
#include "tests/support/game_dir.h"
#include "tests/support/qt_scripted_prompter.h"
#include "tests/support/recording_sound_player.h"
#include "tests/support/scratch_settings.h"
#include "ui/app_context.h"
#include "ui/main/main_window.h"
#include "ui/startup.h"

#include <QComboBox>
#include <QLineEdit>
#include <QStringList>
#include <memory>
#include <string>

namespace marloven::test {

// A launcher with its forms over a temporary game directory, with every question,
// program start and sound answered by doubles.
struct Launcher {
    // A sound player or program runner of the test's own replaces the double when given.
    explicit Launcher(GameDir::Files files = {}, SoundPlayer* soundPlayer = nullptr,
                      GameRunner* programRunner = nullptr);
    ~Launcher();

    MainWindow& Window() const { return *forms->mainWindow; }
    // The store's line for a key as it would be written, or "" when there is none.
    std::string LineOf(const std::string& key) const;

    GameDir dir;
    ScriptedPrompter prompter;
    FakeGameRunner runner;
    RecordingSoundPlayer sound;
    CfgStore store;
    ScratchSettings settings;
    AppContext context;
    std::unique_ptr<Forms> forms;
};

// The player picks an item from a list, as with the mouse.
void Choose(QComboBox* list, int position);
// The player types the text into a box, one key at a time.
void Type(QWidget* widget, const QString& text);
void PressKey(QWidget* widget, int key, const QString& text = {});

// Runs the launcher program itself offscreen, started in `workDir` (this process's
// directory when empty); its exit code, or -1 when it hung and -2 when it crashed. Its
// own settings are read from `configDir` (an empty one of the test's when not given,
// never the user's), and what it printed goes to `output` when given, its error output
// to `errors` when given.
int RunLauncherProgram(const QStringList& arguments, const std::filesystem::path& workDir = {},
                       const std::filesystem::path& configDir = {}, std::string* output = nullptr,
                       std::string* errors = nullptr);

// Windows keeps the launcher's settings under %APPDATA%, which a test cannot point
// elsewhere for the program it starts: a test that gives the program settings of its
// own skips there with this reason.
#ifdef _WIN32
inline constexpr const char* kProgramSettingsFixed =
    "Windows keeps the launcher's settings under %APPDATA%, which a test cannot point "
    "elsewhere for the program it starts";
#else
inline constexpr const char* kProgramSettingsFixed = nullptr;
#endif

// Makes the game directory current for the start-up checks, and restores it after.
class CurrentDirectory {
  public:
    explicit CurrentDirectory(const std::filesystem::path& path);
    ~CurrentDirectory();
    CurrentDirectory(const CurrentDirectory&) = delete;
    CurrentDirectory& operator=(const CurrentDirectory&) = delete;

  private:
    std::filesystem::path previous_;
};

} // namespace marloven::test
