// SPDX-License-Identifier: GPL-3.0-or-later
// The home router lab (netns.h) is made of Linux network namespaces; Windows has none,
// so its tests and the launchers' play from home through it run on Linux only.
#include <gtest/gtest.h>

TEST(HomeRouter, NeedsLinuxNetworkNamespaces) {
    GTEST_SKIP() << "the home router lab is made of network namespaces, which only Linux has";
}
