// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/sound_player.h"
#include "tests/support/game_dir.h"

#include <QElapsedTimer>
#include <QProcess>
#include <gtest/gtest.h>

namespace marloven::test {
namespace {

// Whether or not this machine has a sound device, no request may fail or hang.
TEST(SystemSoundPlayer, ReturnsForShortMissingAndBrokenSoundsAlike) {
    GameDir dir({{"BROKEN.WAV", "RIFF\x04\0\0\0WAVE"}});
    const QString tone = QString::fromStdString((dir / "TONE.WAV").string());
    ASSERT_EQ(QProcess::execute(WAVTONE_PATH, {tone, "60", "880", "660"}), 0);
    const auto player = MakeSystemSoundPlayer();

    QElapsedTimer clock;
    clock.start();
    player->PlaySync((dir / "TONE.WAV").string());
    player->PlaySync((dir / "MISSING.WAV").string());
    player->PlayAsync((dir / "BROKEN.WAV").string());
    player->PlaySync((dir / "BROKEN.WAV").string());
    player->PlayAsync((dir / "TONE.WAV").string());
    player->PlaySync((dir / "TONE.WAV").string());
    EXPECT_LT(clock.elapsed(), 10000);
}

} // namespace
} // namespace marloven::test
