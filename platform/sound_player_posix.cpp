// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/sound_player.h"

#include "core/file_ops.h"
#include "core/game_file.h"

#include <QApplication>
#include <QLibrary>
#include <QStringList>
#include <cstdio>

namespace marloven {

namespace {

using MakePlayer = SoundPlayer* (*)();

// Loads the Qt Multimedia player at the first sound. Loading it costs more than the
// rest of the launcher's start, and most runs play their first sound only once the
// main window is up.
class LazySoundPlayer : public SoundPlayer {
  public:
    void PlayAsync(const std::string& fileName) override {
        const std::string found = InAnyCase(fileName);
        if (SoundPlayer* player = Player(found)) {
            player->PlayAsync(found);
        }
    }
    void PlaySync(const std::string& fileName) override {
        const std::string found = InAnyCase(fileName);
        if (SoundPlayer* player = Player(found)) {
            player->PlaySync(found);
        }
    }

  private:
    // SOUND1.WAV may lie there as sound1.wav.
    static std::string InAnyCase(const std::string& name) {
        const std::filesystem::path asGiven(name);
        return FindGameFile(asGiven.parent_path(), asGiven.filename().string()).string();
    }

    // The player for this sound, or null when there is none to play it.
    SoundPlayer* Player(const std::string& fileName) {
        if (!tried_ && !IsExistingFile(fileName)) {
            // Nothing has played, so nothing is playing: a missing sound only beeps, as
            // the player would, without loading the sound system for it.
            QApplication::beep();
            return nullptr;
        }
        if (!tried_) {
            tried_ = true;
            player_.reset(Load());
        }
        return player_.get();
    }

    // The module lies beside the program in the build tree, or in its own folder beside
    // the installed program's bin folder; a program built elsewhere in the build tree (a
    // test) finds it where the build put it.
    static SoundPlayer* Load() {
        const QString programDir = QApplication::applicationDirPath();
        const QStringList places = {programDir + "/" MARLOVEN_SOUND_MODULE_NAME,
                                    programDir + "/../" MARLOVEN_SOUND_MODULE_INSTALL_DIR
                                                 "/" MARLOVEN_SOUND_MODULE_NAME,
                                    QStringLiteral(MARLOVEN_SOUND_MODULE_PATH)};
        for (const QString& place : places) {
            QLibrary module(place);
            if (auto make =
                    reinterpret_cast<MakePlayer>(module.resolve("MarlovenMakeSoundPlayer"))) {
                return make();
            }
        }
        std::fprintf(stderr, "marloven: no sounds: cannot load %s\n", MARLOVEN_SOUND_MODULE_NAME);
        return nullptr;
    }

    bool tried_ = false;
    std::unique_ptr<SoundPlayer> player_;
};

} // namespace

std::unique_ptr<SoundPlayer> MakeSystemSoundPlayer() {
    return std::make_unique<LazySoundPlayer>();
}

} // namespace marloven
