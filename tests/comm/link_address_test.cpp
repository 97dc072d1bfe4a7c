// SPDX-License-Identifier: GPL-3.0-or-later
#include "comm/link_address.h"

#include <gtest/gtest.h>

namespace marloven {
namespace {

TEST(LinkAddress, TakesNamesDottedIpv4AndBracketedIpv6WithOrWithoutAPort) {
    const struct {
        const char* text;
        LinkAddress address;
    } cases[] = {
        {"velkaran.example.org", {"velkaran.example.org", 7, false}},
        {"host.example.org:2323", {"host.example.org", 2323, false}},
        {" 192.0.2.7:2323 ", {"192.0.2.7", 2323, false}},
        {"255.255.255.255:1", {"255.255.255.255", 1, false}},
        // Leading zeros are decimal to the player, octal to the system's resolver.
        {"010.001.0.9", {"10.1.0.9", 7, false}},
        {"[2001:db8::7]:2323", {"2001:db8::7", 2323, true}},
        {"[::1]", {"::1", 7, true}},
        {"[1:2:3:4:5:6:7:8]:65535", {"1:2:3:4:5:6:7:8", 65535, true}},
        {"[::ffff:192.0.2.7]:9", {"::ffff:192.0.2.7", 9, true}},
    };
    for (const auto& [text, address] : cases) {
        EXPECT_EQ(ParseLinkAddress(text, 7), address) << text;
    }
    EXPECT_EQ(ShowLinkAddress({"2001:db8::7", 2323, true}), "[2001:db8::7]:2323");
    EXPECT_EQ(ShowLinkAddress({"host.example.org", 2323, false}), "host.example.org:2323");
}

TEST(LinkAddress, RefusesWhatCannotBeAnAddressSayingWhatIs) {
    for (const char* text :
         {"999.1.1.1", "1.2.3", "1.2.3.4.5", "192.168.1.256", "3232235777", "", "host:", "host:0",
          "host:65536", "host:23x", "2001:db8::7", "[2001:db8::7", "[2001:db8::7]2323",
          "[1:2:3:4:5:6:7:8:9]", "[1::2::3]", "[12345::1]", "[::1]:", "-host", "host-.org", "a..b",
          "my host", "a>b", "x%y", "[::1.2.3.999]",
          // Forms the resolver reads as numbers: 127.0.0.1 both.
          "0x7f.1", "0x7F000001:2323", "[::1]:99999", "[::1]:0"}) {
        EXPECT_FALSE(ParseLinkAddress(text, 7)) << text;
    }
    const std::string refusal = LinkAddressRefusal("999.1.1.1");
    EXPECT_NE(refusal.find("\"999.1.1.1\""), std::string::npos);
    EXPECT_NE(refusal.find("[2001:db8::7]"), std::string::npos);
    // A bad port is blamed on the port.
    for (const auto& [text, port] : {std::pair{"[::1]:99999", "99999"},
                                     {"[::1]:0", "0"},
                                     {"host.example.org:65536", "65536"}}) {
        EXPECT_EQ(LinkAddressRefusal(text).rfind('"' + std::string(port) + "\" after the colon", 0),
                  0u)
            << text;
    }
}

TEST(LinkAddress, HostingPortsAreOneRuleForTheBoxTheCheckAndTheMessage) {
    for (const int port : {kLowestHostingPort, 2323, kHighestPort}) {
        EXPECT_FALSE(HostingPortRefusal(port)) << port;
    }
    for (const int port : {0, 23, kLowestHostingPort - 1, kHighestPort + 1}) {
        const auto refusal = HostingPortRefusal(port);
        ASSERT_TRUE(refusal) << port;
        EXPECT_NE(refusal->find("port " + std::to_string(port) + " "), std::string::npos);
        EXPECT_NE(refusal->find("1024 to 65535"), std::string::npos);
    }
}

} // namespace
} // namespace marloven
