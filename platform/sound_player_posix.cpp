// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/sound_player.h"

#include "core/file_ops.h"
#include "core/game_file.h"
#include "platform/module_places.h"

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

    static SoundPlayer* Load() {
        const QStringList places = ModulePlaces(MARLOVEN_SOUND_MODULE_NAME);
        QStringList failures;
        for (const QString& place : places) {
            QLibrary module(place);
            if (auto make =
                    reinterpret_cast<MakePlayer>(module.resolve("MarlovenMakeSoundPlayer"))) {
                return make();
            }
            failures << module.errorString();
        }
        std::fprintf(stderr, "marloven: no sounds: cannot load %s: %s\n",
                     MARLOVEN_SOUND_MODULE_NAME, qPrintable(failures.join("; ")));
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
