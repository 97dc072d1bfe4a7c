#include "platform/sound_player.h"

namespace marloven {

namespace {

class QtSoundPlayer : public SoundPlayer {
  public:
    void PlayAsync(const std::string&) override {}
    void PlaySync(const std::string&) override {}
};

} // namespace

std::unique_ptr<SoundPlayer> MakeSystemSoundPlayer() {
    return std::make_unique<QtSoundPlayer>();
}

} // namespace marloven
