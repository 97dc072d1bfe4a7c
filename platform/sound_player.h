// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>
#include <string>

namespace marloven {

// Plays .WAV files without ever cutting off a sound that is playing: while one
// plays, a new one is not played at all.
class SoundPlayer {
  public:
    virtual ~SoundPlayer() = default;
    // Starts the sound and returns at once.
    virtual void PlayAsync(const std::string& fileName) = 0;
    // Returns when the sound has ended, or at once when another is still playing.
    virtual void PlaySync(const std::string& fileName) = 0;
};

std::unique_ptr<SoundPlayer> MakeSystemSoundPlayer();

} // namespace marloven
