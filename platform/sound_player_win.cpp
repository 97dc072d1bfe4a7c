// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/sound_player.h"

// windows.h must come before mmsystem.h.
#include <windows.h>

#include <mmsystem.h>

namespace marloven {

namespace {

// SND_NOSTOP keeps a playing sound from being cut off: the new one is dropped
// instead. No SND_NODEFAULT, so a missing file gives the system's default sound.
class WindowsSoundPlayer : public SoundPlayer {
  public:
    void PlayAsync(const std::string& fileName) override {
        sndPlaySoundA(fileName.c_str(), SND_ASYNC | SND_NOSTOP);
    }
    void PlaySync(const std::string& fileName) override {
        sndPlaySoundA(fileName.c_str(), SND_SYNC | SND_NOSTOP);
    }
};

} // namespace

std::unique_ptr<SoundPlayer> MakeSystemSoundPlayer() {
    return std::make_unique<WindowsSoundPlayer>();
}

} // namespace marloven
