// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/cfg_store.h"
#include "core/settings.h"
#include "tests/support/game_dir.h"

#include <gtest/gtest.h>

namespace marloven {
namespace {

using test::GameDir;

TEST(MacroStore, WritesEveryNumberUnderItsOwnDoubleMKeyAndReadsItBack) {
    GameDir dir({{"VK.CFG", "PlayerName = \"Ann\"\r\n"}});
    CfgStore store(dir.Path());
    store.CfgLoad();
    // Distinct texts per number: a key built from the wrong number shows as a swap.
    for (int n = kMacroCount - 1; n >= 0; --n) {
        EXPECT_EQ(StoreMacro(store, n, "m" + std::to_string(n * 11)), "m" + std::to_string(n * 11));
    }
    EXPECT_EQ(store.Lines()[1], "CommbatMacro#9 = \"m99\"");
    EXPECT_EQ(store.Lines()[10], "CommbatMacro#0 = \"m0\"");
    store.CfgSave();
    store.CfgLoad();
    const auto macros = ReadMacros(store);
    for (int n = 0; n < kMacroCount; ++n) {
        EXPECT_EQ(macros[static_cast<std::size_t>(n)], "m" + std::to_string(n * 11));
    }
}

TEST(MacroStore, TurnsEachLineBreakIntoOneBlankSoTheFileKeepsItsLines) {
    GameDir dir({{"VK.CFG", "PlayerName = \"Ann\"\r\n"}});
    CfgStore store(dir.Path());
    store.CfgLoad();
    // CR LF, a lone LF, a lone CR, LF CR (two breaks) and a break at either end.
    const std::string text = "\na\r\nPlayerName = \"Eve\"\nb\rc\n\rd\r";
    EXPECT_EQ(StoreMacro(store, 3, text), " a PlayerName = \"Eve\" b c  d ");
    store.CfgSave();
    store.CfgLoad();
    EXPECT_EQ(store.Lines().size(), 2U);
    EXPECT_EQ(store.CfgGet("PlayerName"), "Ann");
    EXPECT_EQ(ReadMacros(store)[3], " a PlayerName = Eve\" b c  d \"");
    // A tab, an equals sign, a semicolon and bytes above 127 mean nothing here.
    EXPECT_EQ(StoreMacro(store, 0, "\t=;\xe9\xff"), "\t=;\xe9\xff");
}

} // namespace
} // namespace marloven
