// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/cfg_store.h"
#include "launcher/game_runner.h"
#include "tests/support/game_dir.h"
#include "tests/support/qt_scripted_prompter.h"
#include "tests/support/recording_sound_player.h"
#include "tests/support/scratch_settings.h"
#include "ui/app_context.h"

#include <QByteArray>
#include <QWidget>
#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace marloven::test {

// Sets an environment variable that started programs inherit, for one test, and puts
// back what it was.
class ScopedEnvironment {
  public:
    ScopedEnvironment(const char* name, const QByteArray& value)
        : name_(name), was_(qEnvironmentVariableIsSet(name)), old_(qgetenv(name)) {
        qputenv(name, value);
    }
    ~ScopedEnvironment() { was_ ? qputenv(name_, old_) : qunsetenv(name_); }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

  private:
    const char* name_;
    bool was_;
    QByteArray old_;
};

// A game directory where our stand-in program lies under the game's program names,
// started through the system's real runner, with a shown main window.
class StandinGame : public ::testing::Test {
  protected:
    StandinGame() : StandinGame(std::filesystem::path()) {}
    // The game directory is the given subdirectory of a temporary one.
    explicit StandinGame(const std::filesystem::path& subdirectory);

    // Copies the stand-in into the game directory under this name.
    void Install(const std::string& name) const;
    void InstallAll() const;
    // What the stand-in wrote about its starts; the empty text when it never ran.
    std::string Log() const;
    std::filesystem::path GamePath() const { return startDir_; }

    GameDir dir_;
    std::filesystem::path startDir_;
    CfgStore store_;
    ScriptedPrompter prompter_;
    std::unique_ptr<GameRunner> runner_;
    RecordingSoundPlayer sound_;
    ScratchSettings settings_;
    AppContext context_;
    QWidget window_;
};

} // namespace marloven::test
