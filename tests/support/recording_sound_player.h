// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/sound_player.h"

#include <string>
#include <vector>

namespace marloven::test {

// Records the sounds the launcher asks for. While stillPlaying is set it behaves as if
// an earlier sound had not ended: requests are recorded, nothing is played.
class RecordingSoundPlayer : public SoundPlayer {
  public:
    std::vector<std::string> requested; // every request, in order
    std::vector<std::string> played;    // the requests that would have been heard
    std::vector<std::string> asyncRequests;
    std::vector<std::string> syncRequests;
    bool stillPlaying = false;

    void PlayAsync(const std::string& fileName) override {
        asyncRequests.push_back(fileName);
        Request(fileName);
    }
    void PlaySync(const std::string& fileName) override {
        syncRequests.push_back(fileName);
        Request(fileName);
    }

  private:
    void Request(const std::string& fileName) {
        requested.push_back(fileName);
        if (!stillPlaying) {
            played.push_back(fileName);
        }
    }
};

} // namespace marloven::test
