// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/cfg_store.h"
#include "core/named_start.h"
#include "tests/support/game_dir.h"

#include <gtest/gtest.h>

namespace marloven {
namespace {

using test::GameDir;

std::string Composed(const GameDir& dir, const char* name) {
    CfgStore store(dir.Path());
    store.CfgLoad();
    const auto start = ComposeNamedStart(name, StoredGameOptions(store), StoredMouseTweak(store));
    return start ? start->program + " [" + start->arguments + "]" : "none";
}

TEST(NamedStart, RunsWhatTheButtonRunsWithTheStoredSettings) {
    // TicDup 4 is the list's third item: the driver gets -f2, a dial and the game alone
    // no -f at all.
    const GameDir plain({{"vk.cfg", "TicDup = 4\r\nSetMouse = 0\r\n"}});
    EXPECT_EQ(Composed(plain, "single"), "VK.EXE [-nopred]");
    EXPECT_EQ(Composed(plain, "dial"), "COMMIT.EXE [-nopred]");
    EXPECT_EQ(Composed(plain, "answer"), "COMMIT.EXE [-nopred -f2]");
    EXPECT_EQ(Composed(plain, "connected"), "COMMIT.EXE [-nopred -f2]");
    EXPECT_EQ(Composed(plain, "network"), "COMMIT.EXE [-nopred -f2]");
    EXPECT_EQ(Composed(plain, "setup"), "SETUP.EXE []");
    EXPECT_EQ(Composed(plain, "demo"), "VK.EXE []");
    EXPECT_EQ(Composed(plain, "Single"), "none");
    EXPECT_EQ(Composed(plain, "bots"), "none");

    // With the mouse tweak the helper runs in the game's place; setup and playback
    // never go through it.
    const GameDir tweaked({{"VK.CFG", "TicDup = 8\r\nSetMouse = 1\r\n"}});
    EXPECT_EQ(Composed(tweaked, "network"), "VKSETMS.EXE [-nopred -f3]");
    EXPECT_EQ(Composed(tweaked, "single"), "VKSETMS.EXE [-nopred]");
    EXPECT_EQ(Composed(tweaked, "setup"), "SETUP.EXE []");
    EXPECT_EQ(Composed(tweaked, "demo"), "VK.EXE []");
}

} // namespace
} // namespace marloven
