// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Stand-ins for the player and the speakers in whole-window benchmarks: every question
// is answered No, every dialog cancelled, and nothing is heard.

#include "platform/sound_player.h"
#include "ui/prompter.h"

namespace marloven::bench {

class SilentPrompter : public Prompter {
  public:
    int messages = 0;
    void Inform(const QString&) override { ++messages; }
    void ShowError(const QString&) override { ++messages; }
    bool AskYesNo(const QString&, QuestionIcon) override { return false; }
    std::optional<QString> AskSaveFileName(const SaveFileRequest&) override { return std::nullopt; }
    std::optional<QString> AskOpenFileName(const QString&, const QString&) override {
        return std::nullopt;
    }
    std::optional<QString> AskDirectory(const QString&, const QString&) override {
        return std::nullopt;
    }
    std::optional<QString> AskText(const QString&) override { return std::nullopt; }
};

class SilentSoundPlayer : public SoundPlayer {
  public:
    void PlayAsync(const std::string&) override {}
    void PlaySync(const std::string&) override {}
};

} // namespace marloven::bench
