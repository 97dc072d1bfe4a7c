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

// The launcher loads the sounds' module from beside itself or its install layout only,
// never from a path of the build tree compiled into it; the tests say where it is.
// Why a module could not be loaded is said.
TEST(SystemSoundPlayer, LoadsItsModuleOnlyFromWhereItMayAndSaysWhyNot) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows plays the sounds with the system's own player; no module is loaded";
#endif
    GameDir dir;
    const QString tone = QString::fromStdString((dir / "TONE.WAV").string());
    ASSERT_EQ(QProcess::execute(WAVTONE_PATH, {tone, "20", "880", "660"}), 0);
    const QByteArray named = qgetenv("MARLOVEN_MODULE_DIR");
    qunsetenv("MARLOVEN_MODULE_DIR");
    testing::internal::CaptureStderr();
    MakeSystemSoundPlayer()->PlaySync(tone.toStdString());
    const std::string unnamed = testing::internal::GetCapturedStderr();
    qputenv("MARLOVEN_MODULE_DIR", named);
    EXPECT_NE(unnamed.find("no sounds: cannot load"), std::string::npos) << unnamed;
    EXPECT_NE(unnamed.find("/tests/"), std::string::npos) << "no reason given: " << unnamed;

    testing::internal::CaptureStderr();
    MakeSystemSoundPlayer()->PlaySync(tone.toStdString());
    const std::string found = testing::internal::GetCapturedStderr();
    EXPECT_EQ(found.find("cannot load"), std::string::npos) << found;
}

} // namespace
} // namespace marloven::test
