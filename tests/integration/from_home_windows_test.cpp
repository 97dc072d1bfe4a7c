// SPDX-License-Identifier: GPL-3.0-or-later
// Play from a home network goes through a lab (netns.h) made of Linux network
// namespaces; Windows has none, so those tests run on Linux only.
#include <gtest/gtest.h>

TEST(InternetPlayFromHome, NeedsLinuxNetworkNamespaces) {
    GTEST_SKIP() << "the home network's lab is made of network namespaces, which only Linux has";
}
